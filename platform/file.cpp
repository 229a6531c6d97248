#include "platform/file.h"
#include "platform/host_detail.h"
#include "platform/file_modes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <mutex>

#include "platform/dospath.h"

namespace platform {
namespace {

using file_modes::IsAppend;
using file_modes::IsRead;

// A write over the process's file size limit (ulimit -f) must fail like a
// full disk, through the path that keeps the old file; by default the
// kernel kills the writer instead and leaves its temporary behind. Every
// program of the system writes its files through here, so ignoring the
// signal when this file's statics start covers each of them from its first
// line. Programs they start get the default back (see StartProcess).
[[maybe_unused]] const bool g_sizeLimitFailsWrites = [] {
  std::signal(SIGXFSZ, SIG_IGN);
  return true;
}();

std::atomic<std::int64_t> g_failAfter{-1};

constexpr char kTemporaryPrefix[] = ".tandrix-";
constexpr std::size_t kTemporaryNameLength = sizeof kTemporaryPrefix - 1 + 6;  // mkstemp's XXXXXX

// When each folder was last cleaned of stale temporaries by this process.
std::mutex g_cleanedMutex;
std::map<std::string, std::time_t> g_cleaned;

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

thread_local FileError g_lastError = FileError::None;

bool Fail(FileError error) {
  g_lastError = error;
  return false;
}
bool FailErrno() { return Fail(FileErrorFromErrno(errno)); }

// The file exists and its read-only attribute (no write bit at all) is set.
// Checked by hand because root would otherwise write through it.
bool IsReadOnlyFile(const std::string& hostPath) {
  struct stat st;
  return ::stat(hostPath.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

// What may stand where a file is replaced: nothing yet, or a regular file;
// with AtLink::kReplace also a symbolic link, which the rename replaces.
bool CheckReplaceable(const std::string& target, AtLink atLink) {
  struct stat st;
  const int r = atLink == AtLink::kReplace ? ::lstat(target.c_str(), &st) : ::stat(target.c_str(), &st);
  if (r != 0) return errno == ENOENT ? true : FailErrno();
  if (S_ISLNK(st.st_mode)) return true;
  if (!S_ISREG(st.st_mode)) return Fail(FileError::NotRegular);
  if ((st.st_mode & 0222) == 0) return Fail(FileError::Denied);
  return true;
}

}  // namespace

FileError LastFileError() { return g_lastError; }
void SetLastFileError(FileError error) { g_lastError = error; }

std::string ReplaceTarget(const std::string& hostPath) {
  std::string path = hostPath;
  // The kernel's own limit on links followed in one lookup.
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return path;
    link.resize(static_cast<std::size_t>(n));
    path = link[0] == '/' ? link : ParentOf(path) + "/" + link;
  }
  return path;
}

void RemoveStaleTemporaries(const std::string& hostFolder) {
  const std::time_t now = std::time(nullptr);
  {
    std::lock_guard<std::mutex> lock(g_cleanedMutex);
    std::time_t& last = g_cleaned[hostFolder];
    if (last != 0 && now - last < kStaleTemporarySeconds) return;
    last = now;
  }
  DIR* dir = ::opendir(hostFolder.c_str());
  if (dir == nullptr) return;
  const int dirFd = ::dirfd(dir);
  const uid_t me = ::geteuid();
  while (const dirent* e = ::readdir(dir)) {
    if (std::strncmp(e->d_name, kTemporaryPrefix, sizeof kTemporaryPrefix - 1) != 0 ||
        std::strlen(e->d_name) != kTemporaryNameLength) {
      continue;
    }
    // Only what a writer of ours leaves (a file or a link put in place by
    // the installer), only the user's own, and only once no writer can still
    // be at work on it.
    struct stat st;
    if (::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_uid != me ||
        !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) || now - st.st_mtime < kStaleTemporarySeconds) {
      continue;
    }
    ::unlinkat(dirFd, e->d_name, 0);
  }
  ::closedir(dir);
}

namespace {

// Opens a new temporary file beside hostPath; its name goes to name.
int OpenTemporaryBeside(const std::string& hostPath, std::string& name) {
  const std::string folder = ParentOf(hostPath);
  RemoveStaleTemporaries(folder);
  name = folder + "/" + kTemporaryPrefix + "XXXXXX";
  return ::mkostemp(name.data(), O_CLOEXEC);
}

}  // namespace

std::string CreateTemporaryBeside(const std::string& hostPath) {
  std::string name;
  int fd = OpenTemporaryBeside(hostPath, name);
  if (fd < 0) {
    FailErrno();
    return {};
  }
  ::close(fd);
  return name;
}

bool CopyIntoTemporary(const std::string& srcHost, const std::string& dstHost) {
  int in = ::open(srcHost.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (in < 0) return FailErrno();
  int out = ::open(dstHost.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  struct stat st;
  bool ok = out >= 0 || FailErrno();
  ok = ok && (::fstat(in, &st) == 0 || FailErrno()) && (S_ISREG(st.st_mode) || Fail(FileError::NotRegular));
  char buf[65536];
  while (ok) {
    ssize_t r = ::read(in, buf, sizeof buf);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) ok = FailErrno();
    if (r <= 0) break;
    if (!WriteAll(out, buf, static_cast<std::size_t>(r))) ok = FailErrno();
  }
  ok = ok && (::fchmod(out, st.st_mode & 07777) == 0 || FailErrno());
  ok = ok && (::fsync(out) == 0 || FailErrno());
  const int why = errno;  // for the caller, past the closes
  if (out >= 0 && ::close(out) != 0 && ok) ok = FailErrno();
  ::close(in);
  if (!ok) errno = why;
  return ok;
}

bool SyncHostFile(const std::string& hostPath) {
  int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FailErrno();
  bool ok = ::fsync(fd) == 0 || FailErrno();
  const int why = errno;  // for the caller, past the close
  ::close(fd);
  errno = why;
  return ok;
}

namespace {

// Replaces the file at a host path (already resolved with ReplaceTarget,
// or taken as it is with AtLink::kReplace) with what fill writes to the
// descriptor of a temporary file beside it, keeping its mode and owner. The
// target changes only when fill succeeds and the bytes are on the disk: a
// crash right after the rename must not leave an empty file where the old
// one was.
bool ReplaceHostFileWith(const std::string& hostPath, const std::function<bool(int fd)>& fill,
                         AtLink atLink = AtLink::kFollow) {
  if (!CheckReplaceable(hostPath, atLink)) return false;
  std::string tmpl;
  int fd = OpenTemporaryBeside(hostPath, tmpl);
  if (fd < 0) return FailErrno();
  struct stat st;
  // A link being replaced gives nothing: neither its target's mode nor its owner.
  const bool existed = ::lstat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  const mode_t mode = existed ? (st.st_mode & 07777) : NewFileMode();
  bool ok = fill(fd);
  if (!ok && g_lastError == FileError::None) g_lastError = FileErrorFromErrno(errno);
  // The owner is kept where this process may give the file away (root
  // editing a user's file); otherwise the new file is the writer's.
  if (existed && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
    [[maybe_unused]] int ignored = ::fchown(fd, st.st_uid, st.st_gid);
  }
  ok = (::fchmod(fd, mode) == 0) && ok;
  ok = ok && (::fsync(fd) == 0 || FailErrno());
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(tmpl.c_str(), hostPath.c_str()) == 0) return true;
  if (ok) FailErrno();
  ::unlink(tmpl.c_str());
  if (g_lastError == FileError::None) g_lastError = FileError::Failed;
  return false;
}

}  // namespace

bool ReplaceHostFile(const std::string& hostPath, std::string_view bytes) {
  return ReplaceHostFileWith(hostPath,
                             [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); });
}

bool ReplaceFileSpliced(std::string_view path, std::string_view head, std::string_view src,
                        std::int64_t offset, AtLink atLink) {
  g_lastError = FileError::None;
  auto host = ToHostPath(path);
  auto srcHost = ToHostPath(src);
  if (!host || !srcHost) return Fail(FileError::NotFound);
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  int in = ::open(srcHost->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (in < 0) return FailErrno();
  struct stat st;
  bool ok = ::fstat(in, &st) == 0 ? (S_ISREG(st.st_mode) || Fail(FileError::NotRegular))
                                  : FailErrno();
  const std::string target = atLink == AtLink::kReplace ? *host : ReplaceTarget(*host);
  ok = ok && ReplaceHostFileWith(target, [&](int fd) {
         if (!WriteAll(fd, head.data(), head.size())) return false;
         if (offset >= st.st_size) return true;
         if (::lseek(in, static_cast<off_t>(std::max<std::int64_t>(offset, 0)), SEEK_SET) < 0) {
           return false;
         }
         char buf[65536];
         for (;;) {
           ssize_t r = ::read(in, buf, sizeof buf);
           if (r < 0) {
             if (errno == EINTR) continue;
             return false;
           }
           if (r == 0) return true;
           if (!WriteAll(fd, buf, static_cast<std::size_t>(r))) return false;
         }
       }, atLink);
  ::close(in);
  return ok;
}

namespace {
bool ReplaceFile(const std::string& hostPath, std::string_view bytes) {
  g_lastError = FileError::None;
  return ReplaceHostFile(ReplaceTarget(hostPath), bytes);
}
}  // namespace

namespace testing {
void FailWritesAfter(std::int64_t bytes) { g_failAfter.store(bytes); }
void ForgetCleanedFolders() {
  std::lock_guard<std::mutex> lock(g_cleanedMutex);
  g_cleaned.clear();
}
}  // namespace testing

bool File::OpenForWriting() {
  struct stat st;
  if (IsAppend(mode_)) {
    if (IsReadOnlyFile(hostPath_)) return Fail(FileError::Denied);
    // Non-blocking, so a FIFO without a reader fails at once instead of
    // freezing the program; anything but a regular file is refused.
    fd_ = ::open(hostPath_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd_ < 0) return FailErrno();
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd_);
      fd_ = -1;
      return Fail(FileError::NotRegular);
    }
  } else {
    hostPath_ = ReplaceTarget(hostPath_);
    if (!CheckReplaceable(hostPath_, AtLink::kFollow)) return false;
    // Fail now, as fopen would, when the folder cannot take the file.
    std::string parent = ParentOf(hostPath_);
    if (::stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      return Fail(FileError::NotFound);
    }
    if (::access(parent.c_str(), W_OK) != 0) return Fail(FileError::Denied);
  }
  return true;
}

bool File::Flush() {
  if (fd_ < 0 || data_.empty()) return !failed_;
  if (!WriteAll(fd_, data_.data(), data_.size())) {
    failed_ = true;
    g_lastError = FileErrorFromErrno(errno);
  }
  data_.clear();
  return !failed_;
}

bool File::CloseDescriptor() { return ::close(fd_) == 0; }

bool ReadWholeFd(int fd, std::string& bytes) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return FailErrno();
  if (!S_ISREG(st.st_mode)) return Fail(FileError::NotRegular);
  if (st.st_size > kMaxFileBytes) return Fail(FileError::TooLarge);
  bytes.clear();
  if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t r = ::read(fd, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      return FailErrno();
    }
    if (r == 0) break;
    if (!hostdetail::AppendWithinLimit(bytes, buf, static_cast<std::size_t>(r))) {
      return Fail(FileError::TooLarge);
    }
  }
  g_lastError = FileError::None;
  return true;
}

bool ReadWholeFile(std::string_view path, std::string& bytes) {
  auto host = ToHostPath(path);
  if (!host) return Fail(FileError::NotFound);
  // O_NONBLOCK: opening a FIFO must not wait for a writer. The check of the
  // file's kind comes before any read.
  int fd = ::open(host->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return FailErrno();
  bool ok = ReadWholeFd(fd, bytes);
  ::close(fd);
  return ok;
}

bool ReadFileHead(std::string_view path, std::size_t count, std::string& bytes) {
  bytes.clear();
  auto host = ToHostPath(path);
  if (!host) return Fail(FileError::NotFound);
  int fd = ::open(host->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return FailErrno();
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 ? (S_ISREG(st.st_mode) || Fail(FileError::NotRegular))
                                  : FailErrno();
  bytes.resize(ok ? count : 0);
  std::size_t done = 0;
  while (ok && done < count) {
    ssize_t r = ::read(fd, bytes.data() + done, count - done);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) ok = FailErrno();
    if (r <= 0) break;
    done += static_cast<std::size_t>(r);
  }
  ::close(fd);
  bytes.resize(ok ? done : 0);
  if (ok) g_lastError = FileError::None;
  return ok;
}

bool WriteWholeFile(std::string_view path, std::string_view bytes, AtLink atLink) {
  auto host = ToHostPath(path);
  if (!host) return Fail(FileError::NotFound);
  if (atLink == AtLink::kFollow) return ReplaceFile(*host, bytes);
  g_lastError = FileError::None;
  return ReplaceHostFileWith(
      *host, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); }, atLink);
}

}  // namespace platform
