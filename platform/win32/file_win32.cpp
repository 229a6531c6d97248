// Files on Windows: CreateFileA/ReadFile/WriteFile. A replacing write goes
// to a temporary file beside the target, written through to the disk, and
// MoveFileExA puts it in the target's place only when every byte is there,
// so a failure never leaves half a file. Append mode (the error log) opens
// with FILE_APPEND_DATA, so every write lands at the end.
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

#include "platform/dospath.h"
#include "platform/file.h"
#include "platform/host_detail.h"
#include "platform/file_modes.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace {

using file_modes::IsAppend;
using file_modes::IsRead;

std::atomic<std::int64_t> g_failAfter{-1};
thread_local FileError g_lastError = FileError::None;
std::atomic<unsigned> g_tempCounter{0};
std::mutex g_cleanedMutex;
std::map<std::string, ULONGLONG> g_cleaned;  // folder -> when it was last cleaned (ms)


FileError ErrorFromWin32(DWORD e) {
  switch (e) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return FileError::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileError::Denied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FileError::DiskFull;
    case ERROR_FILE_TOO_LARGE:
      return FileError::SizeLimit;
    default:
      return FileError::Failed;
  }
}

bool Fail(FileError error) {
  g_lastError = error;
  return false;
}
bool FailWin32() { return Fail(ErrorFromWin32(::GetLastError())); }

// Owns a handle, so no error path leaks one.
class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { Close(); }
  Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Close();
      h_ = std::exchange(other.h_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    if (h_ == INVALID_HANDLE_VALUE) return true;
    return ::CloseHandle(std::exchange(h_, INVALID_HANDLE_VALUE)) != 0;
  }

 private:
  HANDLE h_;
};

// WriteFile until done, honouring the injected disk-full fault.
bool WriteAll(HANDLE h, const char* p, std::size_t n) {
  std::int64_t budget = g_failAfter.load();
  bool limited = budget >= 0;
  std::size_t allowed = n;
  if (limited && static_cast<std::int64_t>(n) > budget) allowed = static_cast<std::size_t>(budget);
  std::size_t done = 0;
  while (done < allowed) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(allowed - done, 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(h, p + done, chunk, &written, nullptr)) return false;
    done += written;
  }
  if (limited) g_failAfter.store(budget - static_cast<std::int64_t>(allowed));
  if (allowed < n) {
    ::SetLastError(ERROR_DISK_FULL);
    return false;
  }
  return true;
}

std::string ParentOf(const std::string& path) {
  std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return ".";
  if (cut == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, cut);
}

// Opens an existing file for reading; folders and devices are refused
// before anything is read from them.
Handle OpenForReading(const std::string& path) {
  DWORD attrs = ::GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    FailWin32();
    return Handle();
  }
  if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
    Fail(FileError::NotRegular);
    return Handle();
  }
  Handle h(::CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) {
    FailWin32();
    return Handle();
  }
  if (::GetFileType(h.get()) != FILE_TYPE_DISK) {
    Fail(FileError::NotRegular);
    return Handle();
  }
  return h;
}

// What may stand where a file is replaced: nothing yet, or a regular file
// without the read-only attribute.
bool CheckReplaceable(const std::string& target) {
  DWORD attrs = ::GetFileAttributesA(target.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    DWORD e = ::GetLastError();
    return e == ERROR_FILE_NOT_FOUND ? true : Fail(ErrorFromWin32(e));
  }
  if (attrs & FILE_ATTRIBUTE_DIRECTORY) return Fail(FileError::NotRegular);
  if (attrs & FILE_ATTRIBUTE_READONLY) return Fail(FileError::Denied);
  return true;
}

// A new temporary file beside path, opened for writing through to the
// disk, under a name no other writer gets.
Handle NewTemporary(const std::string& path, std::string& temp) {
  RemoveStaleTemporaries(ParentOf(path));
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "\\.tandrix-%lu-%u", ::GetCurrentProcessId(),
                  g_tempCounter.fetch_add(1));
    temp = ParentOf(path) + name;
    Handle out(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (out) return out;
    if (::GetLastError() != ERROR_FILE_EXISTS) {
      FailWin32();
      return Handle();
    }
  }
  Fail(FileError::Failed);
  return Handle();
}

// Replaces the file at path with what fill writes to a temporary file
// beside it. The target changes only when fill and the flush succeed.
bool ReplaceWith(const std::string& path, const std::function<bool(HANDLE)>& fill) {
  if (!CheckReplaceable(path)) return false;
  std::string temp;
  Handle out = NewTemporary(path, temp);
  if (!out) return false;
  bool ok = fill(out.get()) && ::FlushFileBuffers(out.get());
  if (!ok && g_lastError == FileError::None) g_lastError = ErrorFromWin32(::GetLastError());
  ok = out.Close() && ok;
  if (ok && ::MoveFileExA(temp.c_str(), path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  if (ok) FailWin32();
  ::DeleteFileA(temp.c_str());
  if (g_lastError == FileError::None) g_lastError = FileError::Failed;
  return false;
}

bool ReadAll(HANDLE h, std::string& bytes) {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(h, &size)) return FailWin32();
  if (size.QuadPart > kMaxFileBytes) return Fail(FileError::TooLarge);
  bytes.clear();
  bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  char buf[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(h, buf, sizeof buf, &got, nullptr)) return FailWin32();
    if (got == 0) break;
    if (!hostdetail::AppendWithinLimit(bytes, buf, got)) return Fail(FileError::TooLarge);
  }
  g_lastError = FileError::None;
  return true;
}

}  // namespace

FileError LastFileError() { return g_lastError; }
void SetLastFileError(FileError error) { g_lastError = error; }

// Links are rare here and MoveFileExA replaces a link by a file; the path
// itself is the target.
std::string ReplaceTarget(const std::string& hostPath) { return hostPath; }

bool ReplaceHostFile(const std::string& hostPath, std::string_view bytes) {
  return ReplaceWith(hostPath, [&](HANDLE h) { return WriteAll(h, bytes.data(), bytes.size()); });
}

// MoveFileExA puts the new file in a link's place whatever atLink says:
// links are rare here, and a replaced link can send no write elsewhere.
bool ReplaceFileSpliced(std::string_view path, std::string_view head, std::string_view src,
                        std::int64_t offset, AtLink) {
  g_lastError = FileError::None;
  auto host = ToHostPath(path);
  auto srcHost = ToHostPath(src);
  if (!host || !srcHost) return Fail(FileError::NotFound);
  Handle in = OpenForReading(*srcHost);
  if (!in) return false;
  return ReplaceWith(*host, [&](HANDLE out) {
    if (!WriteAll(out, head.data(), head.size())) return false;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(in.get(), &size)) return false;
    if (offset >= size.QuadPart) return true;
    LARGE_INTEGER at;
    at.QuadPart = std::max<std::int64_t>(offset, 0);
    if (!::SetFilePointerEx(in.get(), at, nullptr, FILE_BEGIN)) return false;
    char buf[65536];
    for (;;) {
      DWORD got = 0;
      if (!::ReadFile(in.get(), buf, sizeof buf, &got, nullptr)) return false;
      if (got == 0) return true;
      if (!WriteAll(out, buf, got)) return false;
    }
  });
}

std::string CreateTemporaryBeside(const std::string& hostPath) {
  std::string temp;
  Handle out = NewTemporary(hostPath, temp);
  return out ? temp : std::string();
}

bool CopyIntoTemporary(const std::string& srcHost, const std::string& dstHost) {
  Handle in = OpenForReading(srcHost);
  Handle out(::CreateFileA(dstHost.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
  bool ok = in && (out || FailWin32());
  char buf[65536];
  while (ok) {
    DWORD got = 0;
    if (!::ReadFile(in.get(), buf, sizeof buf, &got, nullptr)) ok = FailWin32();
    if (!ok || got == 0) break;
    if (!WriteAll(out.get(), buf, got)) ok = FailWin32();
  }
  ok = ok && (::FlushFileBuffers(out.get()) || FailWin32());
  ok = (out.Close() || FailWin32()) && ok;
  // Callers report through errno, as on Linux.
  if (!ok) {
    switch (g_lastError) {
      case FileError::DiskFull: errno = ENOSPC; break;
      case FileError::SizeLimit: errno = EFBIG; break;
      case FileError::NotFound: errno = ENOENT; break;
      case FileError::Denied: errno = EACCES; break;
      case FileError::NotRegular: errno = EISDIR; break;
      default: errno = EIO; break;
    }
  }
  return ok;
}

bool SyncHostFile(const std::string& hostPath) {
  Handle h(::CreateFileA(hostPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return h ? (::FlushFileBuffers(h.get()) != 0 || FailWin32()) : FailWin32();
}

void RemoveStaleTemporaries(const std::string& hostFolder) {
  const ULONGLONG now = ::GetTickCount64();
  {
    std::lock_guard lock(g_cleanedMutex);
    auto it = g_cleaned.find(hostFolder);
    if (it != g_cleaned.end() && now - it->second < kStaleTemporarySeconds * 1000ull) return;
    g_cleaned[hostFolder] = now;
  }
  FILETIME nowFile;
  ::GetSystemTimeAsFileTime(&nowFile);
  const ULONGLONG nowTicks = (static_cast<ULONGLONG>(nowFile.dwHighDateTime) << 32) |
                             nowFile.dwLowDateTime;
  WIN32_FIND_DATAA found;
  HANDLE h = ::FindFirstFileA((hostFolder + "\\.tandrix-*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const ULONGLONG written = (static_cast<ULONGLONG>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                              found.ftLastWriteTime.dwLowDateTime;
    // File times count in 100 ns steps. A temporary still open by its
    // writer cannot be deleted, which keeps a live writer's file safe.
    if (nowTicks > written && (nowTicks - written) / 10000000ull >= kStaleTemporarySeconds) {
      ::DeleteFileA((hostFolder + "\\" + found.cFileName).c_str());
    }
  } while (::FindNextFileA(h, &found));
  ::FindClose(h);
}

namespace testing {
void FailWritesAfter(std::int64_t bytes) { g_failAfter.store(bytes); }
void ForgetCleanedFolders() {
  std::lock_guard lock(g_cleanedMutex);
  g_cleaned.clear();
}
}  // namespace testing

bool File::OpenForWriting() {
  if (IsAppend(mode_)) {
    // The descriptor wraps the handle, so the file class keeps one kind of
    // member on every host.
    HANDLE h = ::CreateFileA(hostPath_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return FailWin32();
    if (::GetFileType(h) != FILE_TYPE_DISK) {
      ::CloseHandle(h);
      return Fail(FileError::NotRegular);
    }
    fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), 0);
    if (fd_ < 0) {
      ::CloseHandle(h);
      return Fail(FileError::Failed);
    }
  } else {
    if (!CheckReplaceable(hostPath_)) return false;
    // Fail now, as fopen would, when the folder cannot take the file.
    DWORD attrs = ::GetFileAttributesA(ParentOf(hostPath_).c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
      return Fail(FileError::NotFound);
    }
  }
  return true;
}

bool File::Flush() {
  if (fd_ < 0 || data_.empty()) return !failed_;
  HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd_));
  if (!WriteAll(h, data_.data(), data_.size())) {
    failed_ = true;
    g_lastError = ErrorFromWin32(::GetLastError());
  }
  data_.clear();
  return !failed_;
}

bool File::CloseDescriptor() { return ::_close(fd_) == 0; }

bool ReadWholeFd(int fd, std::string& bytes) {
  HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (h == INVALID_HANDLE_VALUE) return Fail(FileError::Failed);
  if (::GetFileType(h) != FILE_TYPE_DISK) return Fail(FileError::NotRegular);
  return ReadAll(h, bytes);
}

bool ReadWholeFile(std::string_view path, std::string& bytes) {
  auto host = ToHostPath(path);
  if (!host) return Fail(FileError::NotFound);
  Handle h = OpenForReading(*host);
  return h && ReadAll(h.get(), bytes);
}

bool ReadFileHead(std::string_view path, std::size_t count, std::string& bytes) {
  bytes.clear();
  auto host = ToHostPath(path);
  if (!host) return Fail(FileError::NotFound);
  Handle h = OpenForReading(*host);
  if (!h) return false;
  bytes.resize(count);
  std::size_t done = 0;
  while (done < count) {
    DWORD got = 0;
    DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 20));
    if (!::ReadFile(h.get(), bytes.data() + done, want, &got, nullptr)) {
      bytes.clear();
      return FailWin32();
    }
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  g_lastError = FileError::None;
  return true;
}

bool WriteWholeFile(std::string_view path, std::string_view bytes, AtLink) {
  auto host = ToHostPath(path);
  if (!host) return Fail(FileError::NotFound);
  g_lastError = FileError::None;
  return ReplaceHostFile(*host, bytes);
}

}  // namespace platform
