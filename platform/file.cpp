#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <utility>

#include "platform/dospath.h"

namespace platform {
namespace {

std::atomic<std::int64_t> g_failAfter{-1};

// write(2) until done, honouring the injected disk-full fault.
bool WriteAll(int fd, const char* p, std::size_t n) {
  std::int64_t budget = g_failAfter.load();
  bool limited = budget >= 0;
  std::size_t allowed = n;
  if (limited && static_cast<std::int64_t>(n) > budget) allowed = static_cast<std::size_t>(budget);
  std::size_t done = 0;
  while (done < allowed) {
    ssize_t w = ::write(fd, p + done, allowed - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(w);
  }
  if (limited) g_failAfter.store(budget - static_cast<std::int64_t>(allowed));
  if (allowed < n) {
    errno = ENOSPC;
    return false;
  }
  return true;
}

bool IsTextMode(OpenMode m) {
  return m == OpenMode::ReadText || m == OpenMode::WriteText || m == OpenMode::AppendText;
}
bool IsRead(OpenMode m) { return m == OpenMode::ReadText || m == OpenMode::ReadBinary; }
bool IsAppend(OpenMode m) { return m == OpenMode::AppendText || m == OpenMode::AppendBinary; }

std::string ParentOf(const std::string& hostPath) {
  std::size_t slash = hostPath.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return hostPath.substr(0, slash);
}

mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The file exists and its read-only attribute (no write bit at all) is set.
// Checked by hand because root would otherwise write through it.
bool IsReadOnlyFile(const std::string& hostPath) {
  struct stat st;
  return ::stat(hostPath.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

bool ReplaceFile(const std::string& hostPath, std::string_view bytes) {
  std::string tmpl = ParentOf(hostPath) + "/.tandrix-XXXXXX";
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return false;
  struct stat st;
  mode_t mode = ::stat(hostPath.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
  bool ok = WriteAll(fd, bytes.data(), bytes.size());
  ok = (::fchmod(fd, mode) == 0) && ok;
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(tmpl.c_str(), hostPath.c_str()) == 0) return true;
  ::unlink(tmpl.c_str());
  return false;
}

}  // namespace

namespace testing {
void FailWritesAfter(std::int64_t bytes) { g_failAfter.store(bytes); }
}  // namespace testing

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

bool File::Open(std::string_view path, OpenMode mode) {
  if (open_) Close();
  Reset();
  auto host = ToHostPath(path);
  if (!host) return false;
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

  struct stat st;
  if (::stat(hostPath_.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return false;
  if (IsReadOnlyFile(hostPath_)) return false;
  if (IsAppend(mode)) {
    fd_ = ::open(hostPath_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return false;
  } else {
    // Fail now, as fopen would, when the folder cannot take the file.
    std::string parent = ParentOf(hostPath_);
    if (::stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        ::access(parent.c_str(), W_OK) != 0) {
      return false;
    }
  }
  open_ = true;
  return true;
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

bool File::Flush() {
  if (fd_ < 0 || data_.empty()) return !failed_;
  if (!WriteAll(fd_, data_.data(), data_.size())) failed_ = true;
  data_.clear();
  return !failed_;
}

bool File::Close() {
  if (!open_) return false;
  bool ok = true;
  if (IsAppend(mode_)) {
    ok = Flush();
    ok = (::close(fd_) == 0) && ok;
  } else if (!IsRead(mode_)) {
    ok = ReplaceFile(hostPath_, data_);
  }
  Reset();
  return ok;
}

void File::Abandon() {
  if (!open_) return;
  if (fd_ >= 0) ::close(fd_);
  Reset();
}

bool ReadWholeFile(std::string_view path, std::string& bytes) {
  auto host = ToHostPath(path);
  if (!host) return false;
  int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  bytes.clear();
  if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t r = ::read(fd, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    if (r == 0) break;
    bytes.append(buf, static_cast<std::size_t>(r));
  }
  ::close(fd);
  return true;
}

bool WriteWholeFile(std::string_view path, std::string_view bytes) {
  auto host = ToHostPath(path);
  if (!host || IsReadOnlyFile(*host)) return false;
  return ReplaceFile(*host, bytes);
}

}  // namespace platform
