// The monitor's error log: one "Win95: <message>: <date>" line per failure.
#pragma once

#include <string_view>

namespace platform {

// Appends one line to the log at path (text mode). Returns false, writing
// nothing, when the log cannot be opened.
bool AppendErrorLog(std::string_view path, std::string_view message);

}  // namespace platform
