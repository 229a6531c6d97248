// The part of File that works on the buffer it holds: text-mode
// translation, line reads, formatted writes, opening for reading, closing,
// moving a File, and the errors of the C runtime's file calls. It is the
// same on every host; only opening for writing and the appending
// descriptor go to the host's own file calls.

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <utility>

#include "platform/dospath.h"
#include "platform/file.h"
#include "platform/file_modes.h"
#include "platform/host_detail.h"

namespace platform {

using file_modes::IsAppend;
using file_modes::IsRead;
using file_modes::IsTextMode;

const char* FileErrorText(FileError error) {
  switch (error) {
    case FileError::None:
      return "no error";
    case FileError::NotFound:
      return "no such file";
    case FileError::NotRegular:
      return "not a regular file";
    case FileError::TooLarge:
      return "larger than 16 MB";
    case FileError::Denied:
      return "permission denied or read-only";
    case FileError::DiskFull:
      return "disk full";
    case FileError::SizeLimit:
      return "over the file size limit";
    case FileError::Failed:
      break;
  }
  return "read or write failed";
}

File::~File() {
  if (open_) Close();
}

File::File(File&& other) noexcept { *this = std::move(other); }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (open_) Close();
    open_ = std::exchange(other.open_, false);
    text_ = other.text_;
    mode_ = other.mode_;
    failed_ = other.failed_;
    hostPath_ = std::move(other.hostPath_);
    data_ = std::move(other.data_);
    pos_ = other.pos_;
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

void File::Reset() {
  open_ = false;
  failed_ = false;
  hostPath_.clear();
  data_.clear();
  data_.shrink_to_fit();
  pos_ = 0;
  fd_ = -1;
}

FileError FileErrorFromErrno(int error) {
  switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return FileError::DiskFull;
    case EFBIG:
      return FileError::SizeLimit;
    case ENOENT:
    case ENOTDIR:
      return FileError::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return FileError::Denied;
    case EISDIR:
    case ENXIO:  // a FIFO without a reader, opened for writing
      return FileError::NotRegular;
    default:
      return FileError::Failed;
  }
}

bool File::Open(std::string_view path, OpenMode mode) {
  if (open_) Close();
  Reset();
  SetLastFileError(FileError::None);
  auto host = ToHostPath(path);
  if (!host) {
    SetLastFileError(FileError::NotFound);
    return false;
  }
  mode_ = mode;
  text_ = IsTextMode(mode);
  hostPath_ = *host;

  if (IsRead(mode)) {
    if (!ReadWholeFile(hostPath_, data_)) {
      Reset();
      return false;
    }
    open_ = true;
    return true;
  }
  open_ = OpenForWriting();
  return open_;
}

bool File::Close() {
  if (!open_) return false;
  bool ok = true;
  if (IsAppend(mode_)) {
    ok = Flush();
    ok = CloseDescriptor() && ok;
  } else if (!IsRead(mode_)) {
    SetLastFileError(FileError::None);
    ok = ReplaceHostFile(hostPath_, data_);
  }
  Reset();
  return ok;
}

void File::Abandon() {
  if (!open_) return;
  if (fd_ >= 0) CloseDescriptor();
  Reset();
}

int File::GetChar() {
  if (pos_ >= data_.size()) return kEof;
  char c = data_[pos_++];
  if (text_ && c == '\r' && pos_ < data_.size() && data_[pos_] == '\n') {
    ++pos_;
    return '\n';
  }
  return static_cast<unsigned char>(c);
}

bool File::ReadLine(std::string& line, std::size_t maxChars) {
  line.clear();
  if (!open_ || pos_ >= data_.size()) return false;
  if (maxChars == 0) maxChars = 1;
  while (line.size() < maxChars) {
    int c = GetChar();
    if (c == kEof) break;
    line += static_cast<char>(c);
    if (c == '\n') break;
  }
  return !line.empty();
}

bool File::Seek(std::int64_t offset) {
  if (!open_ || offset < 0 || static_cast<std::size_t>(offset) > data_.size()) return false;
  pos_ = static_cast<std::size_t>(offset);
  return true;
}

bool File::Write(std::string_view text) {
  if (!open_ || IsRead(mode_)) return false;
  if (!text_) {
    data_.append(text);
  } else {
    for (char c : text) {
      if (c == '\n') data_ += '\r';
      data_ += c;
    }
  }
  // Appended logs go out as they are written, like an unbuffered stream.
  if (IsAppend(mode_)) return Flush();
  return true;
}

bool File::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  bool ok;
  if (n < 0) {
    ok = false;
  } else if (static_cast<std::size_t>(n) < sizeof small) {
    ok = Write(std::string_view(small, static_cast<std::size_t>(n)));
  } else {
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, copy);
    big.resize(static_cast<std::size_t>(n));
    ok = Write(big);
  }
  va_end(copy);
  return ok;
}

bool hostdetail::AppendWithinLimit(std::string& bytes, const char* data, std::size_t size) {
  bytes.append(data, size);
  if (static_cast<std::int64_t>(bytes.size()) <= kMaxFileBytes) return true;
  bytes.clear();
  bytes.shrink_to_fit();
  return false;
}

}  // namespace platform
