// File operations of the original platform, on DOS or host paths.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

bool FileExists(std::string_view path);       // a file or a folder
bool DirectoryExists(std::string_view path);
// An existing regular file: not a folder, a FIFO or a device, which a
// reader of whole files must not open (a FIFO would block it).
bool IsRegularFile(std::string_view path);

// A symbolic link (the link itself, whatever it points to).
bool IsSymbolicLink(std::string_view path);
// The size of a regular file; -1 when there is none (LastFileError says why).
std::int64_t FileSize(std::string_view path);
// A file this program may write in place: a regular file whose read-only
// attribute is clear and which opens for writing. Trying the open, rather
// than reading the permission bits, tells a file of another user in a
// folder this user may write from one of the user's own. LastFileError
// says why not.
bool CanWriteFile(std::string_view path);
// Two regular files of the same size whose bytes agree from offset on.
bool SameBytesFrom(std::string_view a, std::string_view b, std::int64_t offset);

// A folder a program of the system can run in: it holds Tandmon.ini,
// games.ini or defaults\ (names compared without regard to case).
bool IsProductFolder(std::string_view dir);

// What tells one version of a file from the next without reading it: a
// replacement through a temporary file brings a new inode, an edit in place
// a new time or size. A missing file has a stamp of its own.
struct FileStamp {
  bool exists = false;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp GetFileStamp(std::string_view path);

// Copies src to dst. With failIfExists an existing dst is kept and the copy
// fails; otherwise dst is replaced (through a temporary file and a rename).
bool CopyFile(std::string_view src, std::string_view dst, bool failIfExists);
bool DeleteFile(std::string_view path);
// Renames src to dst; fails when dst exists, as the original platform does.
bool MoveFile(std::string_view src, std::string_view dst);
bool CreateDirectory(std::string_view path);   // one level; true if it exists
bool CreateDirectories(std::string_view path); // every missing level

// The read-only attribute: a file whose write permission bits are all clear.
// False when the file does not exist.
bool GetReadOnly(std::string_view path, bool& readOnly);
bool SetReadOnly(std::string_view path, bool readOnly);

// Names (without folder) of the files matching a wildcard such as
// "Z:\games\quake\*.vcg" ('*' and '?' in the last component, matched
// without regard to case), in the order the file system returns them.
std::vector<std::string> FindFiles(std::string_view pattern);

// DOS wildcard match of one name, without regard to case.
bool MatchWildcard(std::string_view pattern, std::string_view name);

}  // namespace platform
