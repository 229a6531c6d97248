#pragma once

// What an open mode means, for the host files that open and the shared
// code that reads and writes the buffer.

#include "platform/file.h"

namespace platform::file_modes {

inline bool IsTextMode(OpenMode m) {
  return m == OpenMode::ReadText || m == OpenMode::WriteText || m == OpenMode::AppendText;
}
inline bool IsRead(OpenMode m) { return m == OpenMode::ReadText || m == OpenMode::ReadBinary; }
inline bool IsAppend(OpenMode m) { return m == OpenMode::AppendText || m == OpenMode::AppendBinary; }

}  // namespace platform::file_modes
