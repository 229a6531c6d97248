// DOS paths on Windows are the host's own: the drives are the system's,
// names already compare without regard to case, both separators work.
// Only the forms are normalised (backslashes, full paths).
#include <algorithm>
#include <string>

#include "platform/dospath.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace {

std::string Backslashed(std::string_view path) {
  std::string p(path);
  std::replace(p.begin(), p.end(), '/', '\\');
  return p;
}

std::string FullPath(const std::string& path) {
  char buf[32768];
  DWORD n = ::GetFullPathNameA(path.c_str(), sizeof buf, buf, nullptr);
  if (n == 0 || n >= sizeof buf) return path;
  return std::string(buf, n);
}

}  // namespace

std::string CurrentDirectory() {
  char buf[32768];
  DWORD n = ::GetCurrentDirectoryA(sizeof buf, buf);
  if (n == 0 || n >= sizeof buf) return {};
  std::string dir(buf, n);
  // "C:\" keeps its backslash; no other folder ends in one.
  if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
  return dir;
}

bool SetCurrentDirectory(std::string_view path) {
  return !path.empty() && ::SetCurrentDirectoryA(Backslashed(path).c_str()) != 0;
}

std::optional<std::string> ToHostPath(std::string_view path) {
  if (path.empty()) return std::nullopt;
  std::string p = Backslashed(path);
  if (p.size() >= 2 && p[1] == ':') {
    const char drive = ToUpperAscii(p[0]);
    if (drive < 'A' || drive > 'Z') return std::nullopt;
    // A letter the system does not know names nothing, as on Linux.
    if ((::GetLogicalDrives() & (1u << (drive - 'A'))) == 0) return std::nullopt;
  }
  return FullPath(p);
}

// An existing path comes back as the file system spells it, as on Linux.
std::string ToDosPath(std::string_view hostPath) {
  const std::string full = FullPath(Backslashed(hostPath));
  char buf[32768];
  DWORD n = ::GetLongPathNameA(full.c_str(), buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : full;
}

// The system's own drives need no table.
void ReloadDriveTable() {}

}  // namespace platform
