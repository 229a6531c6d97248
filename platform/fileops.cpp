#include "platform/fileops.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/dospath.h"
#include "platform/file.h"

namespace platform {
namespace {

bool StatPath(std::string_view path, struct stat& st) {
  auto host = ToHostPath(path);
  return host && ::stat(host->c_str(), &st) == 0;
}

}  // namespace

bool FileExists(std::string_view path) {
  struct stat st;
  return StatPath(path, st);
}

bool DirectoryExists(std::string_view path) {
  struct stat st;
  return StatPath(path, st) && S_ISDIR(st.st_mode);
}

bool IsSymbolicLink(std::string_view path) {
  auto host = ToHostPath(path);
  struct stat st;
  return host && ::lstat(host->c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::int64_t FileSize(std::string_view path) {
  struct stat st;
  if (!StatPath(path, st)) {
    SetLastFileError(FileErrorFromErrno(errno));
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    SetLastFileError(FileError::NotRegular);
    return -1;
  }
  return static_cast<std::int64_t>(st.st_size);
}

bool CanWriteFile(std::string_view path) {
  auto host = ToHostPath(path);
  struct stat st;
  if (!host || ::stat(host->c_str(), &st) != 0) {
    SetLastFileError(host ? FileErrorFromErrno(errno) : FileError::NotFound);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    SetLastFileError(FileError::NotRegular);
    return false;
  }
  // The attribute first: root opens anything for writing.
  if ((st.st_mode & 0222) == 0) {
    SetLastFileError(FileError::Denied);
    return false;
  }
  const int fd = ::open(host->c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    SetLastFileError(FileErrorFromErrno(errno));
    return false;
  }
  ::close(fd);
  return true;
}

bool SameBytesFrom(std::string_view a, std::string_view b, std::int64_t offset) {
  auto ha = ToHostPath(a);
  auto hb = ToHostPath(b);
  if (!ha || !hb) return false;
  const int fa = ::open(ha->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  const int fb = fa < 0 ? -1 : ::open(hb->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat sa, sb;
  bool same = fb >= 0 && ::fstat(fa, &sa) == 0 && ::fstat(fb, &sb) == 0 && S_ISREG(sa.st_mode) &&
              S_ISREG(sb.st_mode) && sa.st_size == sb.st_size;
  char ba[65536], bb[sizeof ba];
  for (off_t at = static_cast<off_t>(std::max<std::int64_t>(offset, 0)); same && at < sa.st_size;) {
    const ssize_t ra = ::pread(fa, ba, sizeof ba, at);
    const ssize_t rb = ra <= 0 ? -1 : ::pread(fb, bb, static_cast<std::size_t>(ra), at);
    same = ra > 0 && rb == ra && std::memcmp(ba, bb, static_cast<std::size_t>(ra)) == 0;
    at += ra;
  }
  if (fb >= 0) ::close(fb);
  if (fa >= 0) ::close(fa);
  return same;
}

bool IsRegularFile(std::string_view path) {
  struct stat st;
  return StatPath(path, st) && S_ISREG(st.st_mode);
}

FileStamp GetFileStamp(std::string_view path) {
  FileStamp stamp;
  struct stat st;
  if (!StatPath(path, st)) return stamp;
  stamp.exists = true;
  stamp.inode = static_cast<std::uint64_t>(st.st_ino);
  stamp.size = static_cast<std::int64_t>(st.st_size);
  stamp.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

bool CopyFile(std::string_view src, std::string_view dst, bool failIfExists) {
  struct stat st;
  if (!StatPath(src, st) || S_ISDIR(st.st_mode)) return false;
  if (failIfExists && FileExists(dst)) return false;
  // In pieces: a game's program may be larger than any file read whole.
  if (!ReplaceFileSpliced(dst, {}, src, 0)) return false;
  // The copy takes the source's permissions, read-only attribute included.
  auto host = ToHostPath(dst);
  if (host) ::chmod(host->c_str(), st.st_mode & 07777);
  return true;
}

bool DeleteFile(std::string_view path) {
  auto host = ToHostPath(path);
  struct stat st;
  if (!host || ::lstat(host->c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  // A read-only file cannot be deleted on the original platform.
  if (!S_ISLNK(st.st_mode) && (st.st_mode & 0222) == 0) return false;
  return ::unlink(host->c_str()) == 0;
}

bool MoveFile(std::string_view src, std::string_view dst) {
  auto from = ToHostPath(src);
  auto to = ToHostPath(dst);
  if (!from || !to) return false;
  struct stat st;
  if (::lstat(to->c_str(), &st) == 0) return false;
  return ::rename(from->c_str(), to->c_str()) == 0;
}

bool CreateDirectory(std::string_view path) {
  auto host = ToHostPath(path);
  if (!host) return false;
  if (::mkdir(host->c_str(), 0777) == 0) return true;
  return errno == EEXIST && DirectoryExists(path);
}

bool CreateDirectories(std::string_view path) {
  auto host = ToHostPath(path);
  if (!host) return false;
  std::string& h = *host;
  for (std::size_t i = 1; i <= h.size(); ++i) {
    if (i == h.size() || h[i] == '/') {
      std::string prefix = h.substr(0, i);
      if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat st;
  return ::stat(h.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool GetReadOnly(std::string_view path, bool& readOnly) {
  struct stat st;
  if (!StatPath(path, st)) return false;
  readOnly = (st.st_mode & 0222) == 0;
  return true;
}

bool SetReadOnly(std::string_view path, bool readOnly) {
  auto host = ToHostPath(path);
  struct stat st;
  if (!host || ::stat(host->c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  mode = readOnly ? (mode & ~mode_t{0222}) : (mode | S_IWUSR);
  return ::chmod(host->c_str(), mode) == 0;
}

std::vector<std::string> FindFiles(std::string_view pattern) {
  std::vector<std::string> names;
  std::size_t cut = pattern.find_last_of("\\/");
  std::string_view dirPart = cut == std::string_view::npos ? std::string_view(".")
                                                           : pattern.substr(0, cut + 1);
  std::string_view namePart = cut == std::string_view::npos ? pattern : pattern.substr(cut + 1);
  if (namePart.empty()) return names;
  auto dir = ToHostPath(dirPart);
  if (!dir) return names;
  DIR* d = ::opendir(dir->c_str());
  if (d == nullptr) return names;
  while (dirent* e = ::readdir(d)) {
    std::string_view n = e->d_name;
    if (n == "." || n == "..") continue;
    if (!MatchWildcard(namePart, n)) continue;
    std::string full = *dir + "/" + std::string(n);
    struct stat st;
    if (::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
    names.emplace_back(n);
  }
  ::closedir(d);
  return names;
}

}  // namespace platform
