// The DOS view of paths.
//
// System code writes paths the way the original platform did: drive letters,
// backslashes, "%s\\games.ini", "defaults\\%s". This module maps them onto
// the host file system:
//
//  * Drive Z: is the host root, so /home/ann/tandrix is Z:\home\ann\tandrix.
//  * Other letters come from TANDRIX_DRIVES, e.g. "C=/home/ann/.wine/drive_c"
//    (several entries separated by ';'). Unmapped letters do not exist.
//  * Both '\' and '/' separate components; relative paths start at the
//    current directory.
//  * Components of an existing path are matched without regard to case; a
//    component that does not exist keeps the case it was given.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Limits of the original platform's path buffers.
inline constexpr std::size_t kMaxPath = 260;

// The current directory in DOS form, without a trailing backslash
// (except for a drive root such as "Z:\").
std::string CurrentDirectory();

// Changes the current directory (DOS or host form). False when it fails.
bool SetCurrentDirectory(std::string_view path);

// The host path a DOS (or host) path names. Existing components are matched
// without regard to case. Empty optional when the path names a drive that is
// not mapped or cannot be expressed on the host.
std::optional<std::string> ToHostPath(std::string_view path);

// The DOS form of a host path ("/a/b" -> "Z:\a\b", or the mapped drive whose
// folder holds it, the longest mapping winning). Relative host paths are
// taken from the current directory.
std::string ToDosPath(std::string_view hostPath);

// Re-reads TANDRIX_DRIVES (tests change it at run time).
void ReloadDriveTable();

// True for "X:" followed by a separator, or a leading separator.
bool IsAbsoluteDosPath(std::string_view path);

// Case-insensitive comparisons in the "C" locale, as the file system does.
bool EqualsNoCase(std::string_view a, std::string_view b);
std::string ToLowerAscii(std::string_view s);
std::string ToUpperAscii(std::string_view s);
// One character of the above: only A-Z and a-z change.
inline char ToLowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char ToUpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace platform
