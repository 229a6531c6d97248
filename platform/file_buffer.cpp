// The part of File that works on the buffer it holds: text-mode
// translation, line reads, formatted writes. It is the same on every host;
// only opening, flushing and closing go to the host's own file calls.

#include <cstdarg>
#include <cstdio>

#include "platform/file.h"
#include "platform/file_modes.h"

namespace platform {

using file_modes::IsAppend;
using file_modes::IsRead;

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

}  // namespace platform
