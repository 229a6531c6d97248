// Private-profile ("ini") files, read and written one key at a time.
//
// Section and key names compare without regard to case. Blanks around "="
// and at both ends of a value are dropped, and a value in double quotes
// loses them. A line starting with ';' is a comment and a line without '='
// is not a key. A write changes only the line of its key (or adds the key
// and, when missing, its section) and keeps every other byte of the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The value of key in section, or def when the file, the section or the
// key is missing. The result is cut to bufferSize - 1 characters, as a
// caller's buffer of that size would hold it.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, std::size_t bufferSize,
                                    std::string_view file);

// The leading decimal number of the value ("42A" -> 42, "-7" -> -7,
// "B4" -> 0); def when the key is missing or its value is empty.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         std::string_view file);

// Sets key in section to value, replacing the value where it stands, adding
// the key (and the section) when missing, creating the file when missing.
// False when the file cannot be written; the old file is then unchanged.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view file);

}  // namespace platform
