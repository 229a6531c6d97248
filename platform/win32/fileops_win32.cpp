// File operations on Windows: the system's own calls, with the original
// platform's answers (a read-only file is not deleted, a rename does not
// replace).
#include <algorithm>
#include <string>

#include "platform/dospath.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace {

DWORD Attributes(std::string_view path) {
  auto host = ToHostPath(path);
  return host ? ::GetFileAttributesA(host->c_str()) : INVALID_FILE_ATTRIBUTES;
}

// want bytes of a file from at on; false when they cannot all be read.
bool ReadPiece(std::string_view path, std::int64_t at, std::size_t want, std::string& out) {
  auto host = ToHostPath(path);
  if (!host) return false;
  HANDLE h = ::CreateFileA(host->c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER pos;
  pos.QuadPart = at;
  out.assign(want, '\0');
  DWORD got = 0;
  const bool ok = ::SetFilePointerEx(h, pos, nullptr, FILE_BEGIN) &&
                  ::ReadFile(h, out.data(), static_cast<DWORD>(want), &got, nullptr) && got == want;
  ::CloseHandle(h);
  return ok;
}

}  // namespace

bool FileExists(std::string_view path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool DirectoryExists(std::string_view path) {
  DWORD attrs = Attributes(path);
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsRegularFile(std::string_view path) {
  DWORD attrs = Attributes(path);
  return attrs != INVALID_FILE_ATTRIBUTES &&
         !(attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

bool IsSymbolicLink(std::string_view path) {
  DWORD attrs = Attributes(path);
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::int64_t FileSize(std::string_view path) {
  auto host = ToHostPath(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!host || !::GetFileAttributesExA(host->c_str(), GetFileExInfoStandard, &data)) {
    SetLastFileError(FileError::NotFound);
    return -1;
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    SetLastFileError(FileError::NotRegular);
    return -1;
  }
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool CanWriteFile(std::string_view path) {
  auto host = ToHostPath(path);
  DWORD attrs = host ? ::GetFileAttributesA(host->c_str()) : INVALID_FILE_ATTRIBUTES;
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    SetLastFileError(FileError::NotFound);
    return false;
  }
  if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
    SetLastFileError(FileError::NotRegular);
    return false;
  }
  if (attrs & FILE_ATTRIBUTE_READONLY) {
    SetLastFileError(FileError::Denied);
    return false;
  }
  HANDLE h = ::CreateFileA(host->c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    SetLastFileError(FileError::Denied);
    return false;
  }
  ::CloseHandle(h);
  return true;
}

bool SameBytesFrom(std::string_view a, std::string_view b, std::int64_t offset) {
  const std::int64_t size = FileSize(a);
  if (size < 0 || FileSize(b) != size) return false;
  // In pieces: a game's program may be larger than a whole read allows.
  std::string pa, pb;
  for (std::int64_t at = std::max<std::int64_t>(offset, 0); at < size; at += 1 << 20) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(size - at, 1 << 20));
    if (!ReadPiece(a, at, want, pa) || !ReadPiece(b, at, want, pb) || pa != pb) return false;
  }
  return true;
}

FileStamp GetFileStamp(std::string_view path) {
  FileStamp stamp;
  auto host = ToHostPath(path);
  if (!host) return stamp;
  HANDLE h = ::CreateFileA(host->c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return stamp;
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileInformationByHandle(h, &info)) {
    stamp.exists = true;
    // The file index is the inode of this file system.
    stamp.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.size = (static_cast<std::int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    const std::uint64_t ticks = (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                info.ftLastWriteTime.dwLowDateTime;
    stamp.modifiedNs = static_cast<std::int64_t>(ticks * 100);
  }
  ::CloseHandle(h);
  return stamp;
}

bool CopyFile(std::string_view src, std::string_view dst, bool failIfExists) {
  DWORD attrs = Attributes(src);
  if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (failIfExists && FileExists(dst)) return false;
  // Through a temporary file, written through, so the target is old or new.
  if (!ReplaceFileSpliced(dst, {}, src, 0)) return false;
  // The copy takes the source's attributes, read-only included.
  auto host = ToHostPath(dst);
  if (host) ::SetFileAttributesA(host->c_str(), attrs & ~FILE_ATTRIBUTE_NORMAL);
  return true;
}

bool DeleteFile(std::string_view path) {
  auto host = ToHostPath(path);
  return host && ::DeleteFileA(host->c_str()) != 0;
}

bool MoveFile(std::string_view src, std::string_view dst) {
  auto from = ToHostPath(src);
  auto to = ToHostPath(dst);
  return from && to && ::MoveFileA(from->c_str(), to->c_str()) != 0;
}

bool CreateDirectory(std::string_view path) {
  auto host = ToHostPath(path);
  if (!host) return false;
  if (::CreateDirectoryA(host->c_str(), nullptr)) return true;
  return ::GetLastError() == ERROR_ALREADY_EXISTS && DirectoryExists(path);
}

bool CreateDirectories(std::string_view path) {
  auto host = ToHostPath(path);
  if (!host) return false;
  const std::string& h = *host;
  // Past the drive ("C:\") or the share ("\\server\share\").
  std::size_t from = 3;
  if (h.rfind("\\\\", 0) == 0) {
    from = h.find('\\', h.find('\\', 2) + 1);
    if (from == std::string::npos) from = h.size();
  }
  for (std::size_t i = from; i <= h.size(); ++i) {
    if (i == h.size() || h[i] == '\\') {
      std::string prefix = h.substr(0, i);
      if (!::CreateDirectoryA(prefix.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
      }
    }
  }
  return DirectoryExists(path);
}

bool GetReadOnly(std::string_view path, bool& readOnly) {
  DWORD attrs = Attributes(path);
  if (attrs == INVALID_FILE_ATTRIBUTES) return false;
  readOnly = (attrs & FILE_ATTRIBUTE_READONLY) != 0;
  return true;
}

bool SetReadOnly(std::string_view path, bool readOnly) {
  auto host = ToHostPath(path);
  if (!host) return false;
  DWORD attrs = ::GetFileAttributesA(host->c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return false;
  attrs = readOnly ? (attrs | FILE_ATTRIBUTE_READONLY) : (attrs & ~FILE_ATTRIBUTE_READONLY);
  return ::SetFileAttributesA(host->c_str(), attrs) != 0;
}

std::vector<std::string> FindFiles(std::string_view pattern) {
  std::vector<std::string> names;
  std::size_t cut = pattern.find_last_of("\\/");
  std::string_view namePart = cut == std::string_view::npos ? pattern : pattern.substr(cut + 1);
  if (namePart.empty()) return names;
  auto host = ToHostPath(pattern);
  if (!host) return names;
  WIN32_FIND_DATAA found;
  HANDLE h = ::FindFirstFileA(host->c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    // The system also matches the short 8.3 names ("*.vcg" finds
    // "a.vcgx" through "A~1.VCG"); only the long name counts here.
    if (!MatchWildcard(namePart, found.cFileName)) continue;
    names.emplace_back(found.cFileName);
  } while (::FindNextFileA(h, &found));
  ::FindClose(h);
  return names;
}

}  // namespace platform
