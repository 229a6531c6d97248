#include "platform/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/dospath.h"
#include "platform/host_detail.h"

namespace platform {

// ---------------------------------------------------------------------------
// Snapshots

namespace {

using hostdetail::BaseName;
using hostdetail::EndsWithNoCase;
using hostdetail::NamesItself;
using hostdetail::ProgramFile;

// readlinkat into a string; false when the link cannot be read.
bool ReadLinkAt(int dirFd, const char* name, std::string& out) {
  std::array<char, 4096> buf;
  ssize_t n = ::readlinkat(dirFd, name, buf.data(), buf.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buf.size()) return false;
  out.assign(buf.data(), static_cast<std::size_t>(n));
  return true;
}

// Reads a small /proc file whole; false when it cannot be read.
bool ReadSmallFileAt(int dirFd, const char* name, std::string& out) {
  int fd = ::openat(dirFd, name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  out.clear();
  std::array<char, 4096> buf;
  while (true) {
    ssize_t n = ::read(fd, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.append(buf.data(), static_cast<std::size_t>(n));
    if (out.size() > (1u << 16)) break;
  }
  ::close(fd);
  return true;
}

// Parent id and start time from /proc/PID/stat. The command name in
// parentheses may hold blanks and parentheses itself, so fields are counted
// from the last ')'.
bool ParseStat(const std::string& stat, std::uint32_t& ppid, unsigned long long& start,
               char& state) {
  std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return false;
  const char* p = stat.c_str() + close + 1;
  // Field 3 is the state; ppid is field 4, starttime field 22.
  int field = 2;
  while (*p != '\0' && field < 22) {
    while (*p == ' ') ++p;
    if (*p == '\0') break;
    ++field;
    const char* wordStart = p;
    while (*p != '\0' && *p != ' ') ++p;
    if (field == 3) state = *wordStart;
    if (field == 4) ppid = static_cast<std::uint32_t>(std::strtoul(wordStart, nullptr, 10));
    if (field == 22) start = std::strtoull(wordStart, nullptr, 10);
  }
  return field == 22;
}

bool IsWineLoader(std::string_view exe) {
  std::string_view base = BaseName(exe);
  return base.size() >= 4 && EqualsNoCase(base.substr(0, 4), "wine") &&
         !EqualsNoCase(base, "wineserver");
}

// The Windows image a Wine process runs, from its first argument; empty when
// that argument does not look like one (a loader still starting up).
std::string WineImagePath(int procFd, const std::string& pidText) {
  std::string cmdline;
  if (!ReadSmallFileAt(procFd, (pidText + "/cmdline").c_str(), cmdline)) return {};
  std::string arg = cmdline.substr(0, cmdline.find('\0'));
  if (arg.empty()) return {};
  bool drive = arg.size() >= 2 && arg[1] == ':' &&
               ((arg[0] >= 'A' && arg[0] <= 'Z') || (arg[0] >= 'a' && arg[0] <= 'z'));
  bool image = EndsWithNoCase(arg, ".exe") || EndsWithNoCase(arg, ".com");
  if (!drive && !image) return {};
  if (arg[0] == '/') return ToDosPath(arg);  // Wine also runs host paths
  std::replace(arg.begin(), arg.end(), '/', '\\');
  if (drive && arg.size() >= 3 && arg[2] == '\\') return arg;
  // Relative to the process's own current directory.
  std::string cwdHost;
  if (!ReadLinkAt(procFd, (pidText + "/cwd").c_str(), cwdHost)) return arg;
  std::string cwd = ToDosPath(cwdHost);
  if (drive) {
    // "C:name" is relative to the drive's current folder; only the
    // process's own drive has a known one.
    if (cwd.size() >= 2 && EqualsNoCase(cwd.substr(0, 2), arg.substr(0, 2))) {
      arg = arg.substr(2);
    } else {
      return arg.substr(0, 2) + "\\" + arg.substr(2);
    }
  }
  if (!arg.empty() && arg[0] == '\\') return cwd.substr(0, 2) + arg;
  if (cwd.empty() || cwd.back() != '\\') cwd += '\\';
  return cwd + arg;
}

// What a process keeps for its whole life: its start time and the parent
// that created it. Remembered from one listing to the next so that only new
// processes cost a read of their stat file. A remembered entry counts only
// while /proc/PID is the same inode, so a process id used again by a new
// process is read afresh.
struct StartInfo {
  ino_t inode;
  unsigned long long start;
  std::uint32_t parent;
};
std::mutex g_startMutex;
std::unordered_map<std::uint32_t, StartInfo> g_startInfo;


}  // namespace

bool ListHostProcesses(std::vector<ProcessEntry>& out) {
  out.clear();
  int procFd = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (procFd < 0) return false;
  DIR* dir = ::fdopendir(procFd);
  if (dir == nullptr) {
    ::close(procFd);
    return false;
  }

  struct Found {
    unsigned long long start;
    ProcessEntry entry;
  };
  std::vector<Found> found;
  found.reserve(512);
  // Most processes share a handful of executables; their DOS forms are
  // worked out once per listing.
  std::unordered_map<std::string, std::string> dosForm;
  std::string link, stat, pidText;
  const uid_t self = ::geteuid();
  std::lock_guard lock(g_startMutex);
  std::unordered_map<std::uint32_t, StartInfo> seen;
  seen.reserve(g_startInfo.size() + 16);

  while (dirent* e = ::readdir(dir)) {
    const char* name = e->d_name;
    if (name[0] < '1' || name[0] > '9') continue;
    bool numeric = true;
    for (const char* c = name; *c != '\0'; ++c) numeric = numeric && *c >= '0' && *c <= '9';
    if (!numeric) continue;
    pidText = name;
    // Only this user's processes: another user's program named like a
    // listed game must not switch this user's configuration or have its
    // folder prepared. /proc/PID belongs to the process's effective user.
    // (Without privileges the executable of another user's process could
    // not be read anyway; run as root, or with ptrace rights, it could.)
    struct stat owner;
    if (::fstatat(procFd, name, &owner, 0) != 0 || owner.st_uid != self) continue;
    // Kernel threads have no executable and are left out.
    if (!ReadLinkAt(procFd, (pidText + "/exe").c_str(), link)) continue;
    constexpr std::string_view kDeleted = " (deleted)";
    if (link.size() > kDeleted.size() && link.ends_with(kDeleted)) {
      link.resize(link.size() - kDeleted.size());
    }
    const auto pid = static_cast<std::uint32_t>(std::strtoul(name, nullptr, 10));
    StartInfo info{e->d_ino, 0, 0};
    auto known = g_startInfo.find(pid);
    if (known != g_startInfo.end() && known->second.inode == e->d_ino) {
      info = known->second;
    } else {
      char state = '?';
      if (!ReadSmallFileAt(procFd, (pidText + "/stat").c_str(), stat) ||
          !ParseStat(stat, info.parent, info.start, state)) {
        continue;  // ended while we looked
      }
    }
    seen.emplace(pid, info);
    Found f;
    f.start = info.start;
    f.entry.processId = pid;
    f.entry.parentProcessId = info.parent;
    if (IsWineLoader(link)) f.entry.exePath = WineImagePath(procFd, pidText);
    if (f.entry.exePath.empty()) {
      auto it = dosForm.find(link);
      if (it == dosForm.end()) it = dosForm.emplace(link, ToDosPath(link)).first;
      f.entry.exePath = it->second;
    }
    found.push_back(std::move(f));
  }
  ::closedir(dir);  // closes procFd too
  g_startInfo.swap(seen);

  // Oldest first; processes started within one clock tick keep the order
  // of their ids.
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    if (a.start != b.start) return a.start < b.start;
    return a.entry.processId < b.entry.processId;
  });
  out.reserve(found.size() + 1);
  ProcessEntry system;
  system.exePath = std::string(kSystemProcessName);
  out.push_back(std::move(system));
  for (auto& f : found) out.push_back(std::move(f.entry));
  return true;
}

// ---------------------------------------------------------------------------
// Starting programs

namespace {

// What the new process sends back through the start pipe.
struct StartReport {
  int kind;   // 1: the process id; 2: errno of a failed step
  int value;
};

void SendReport(int fd, int kind, int value) {
  StartReport r{kind, value};
  ssize_t ignored = ::write(fd, &r, sizeof r);
  (void)ignored;
}

}  // namespace

bool hostdetail::StartHostProcess(std::string_view program, std::string_view commandLine,
                                  std::string_view currentDirectory, std::uint32_t* processId) {
  const auto host = ProgramFile(program);
  if (!host) return false;
  std::string dirHost;
  if (currentDirectory.empty() || currentDirectory == ".") {
    std::array<char, 4096> buf{};
    if (::getcwd(buf.data(), buf.size()) == nullptr) return false;
    dirHost = buf.data();
  } else {
    auto d = ToHostPath(currentDirectory);
    if (!d) return false;
    dirHost = *d;
  }
  struct stat st;
  if (::stat(dirHost.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;

  std::vector<std::string> args = SplitCommandLine(commandLine);
  if (!NamesItself(args, program)) args.insert(args.begin(), std::string(program));
  // Everything the child needs is built before fork: after it only
  // async-signal-safe calls are allowed.
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int pipeFd[2];
  if (::pipe2(pipeFd, O_CLOEXEC) != 0) return false;
  pid_t child = ::fork();
  if (child < 0) {
    ::close(pipeFd[0]);
    ::close(pipeFd[1]);
    return false;
  }
  if (child == 0) {
    // The intermediate process only forks again and leaves, so the program
    // is adopted by the system and nobody has to wait for it.
    ::close(pipeFd[0]);
    pid_t grandchild = ::fork();
    if (grandchild < 0) {
      SendReport(pipeFd[1], 2, errno);
      ::_exit(1);
    }
    if (grandchild > 0) {
      SendReport(pipeFd[1], 1, static_cast<int>(grandchild));
      ::_exit(0);
    }
    ::setsid();
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Our programs ignore the file size signal (see platform/file.cpp); a
    // game started from here gets the system's default back.
    ::signal(SIGXFSZ, SIG_DFL);
#ifdef SYS_close_range
    // Descriptors of the caller are not inherited; the pipe closes on exec.
    ::syscall(SYS_close_range, 3u, ~0u, 4u /* CLOSE_RANGE_CLOEXEC */);
#endif
    if (::chdir(dirHost.c_str()) != 0) {
      SendReport(pipeFd[1], 2, errno);
      ::_exit(127);
    }
    ::execv(host->c_str(), argv.data());
    SendReport(pipeFd[1], 2, errno);
    ::_exit(127);
  }
  ::close(pipeFd[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  bool ok = false;
  bool failed = false;
  std::uint32_t pid = 0;
  StartReport r;
  while (true) {
    ssize_t n = ::read(pipeFd[0], &r, sizeof r);
    if (n < 0 && errno == EINTR) continue;
    if (n != static_cast<ssize_t>(sizeof r)) break;  // end: exec happened or all failed
    if (r.kind == 1) {
      pid = static_cast<std::uint32_t>(r.value);
      ok = true;
    } else {
      failed = true;
    }
  }
  ::close(pipeFd[0]);
  if (!ok || failed) return false;
  if (processId) *processId = pid;
  return true;
}

bool ProcessIsRunning(std::uint32_t processId) {
  if (processId == 0) return false;
  std::string stat;
  int procFd = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (procFd < 0) return false;
  bool read = ReadSmallFileAt(procFd, (std::to_string(processId) + "/stat").c_str(), stat);
  ::close(procFd);
  std::uint32_t ppid = 0;
  unsigned long long start = 0;
  char state = '?';
  if (!read || !ParseStat(stat, ppid, start, state)) return false;
  return state != 'Z' && state != 'X';
}

bool TerminateProcess(std::uint32_t processId) {
  if (processId == 0 || !ProcessIsRunning(processId)) return false;
  return ::kill(static_cast<pid_t>(processId), SIGKILL) == 0;
}

std::string WindowsDirectory() {
  const char* env = std::getenv("TANDRIX_WINDIR");
  if (env != nullptr && *env != '\0') return env;
  return "C:\\WINDOWS";
}

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindHostProgram(const std::string& program) {
  if (program.find('/') != std::string::npos) return IsExecutableFile(program) ? program : "";
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const std::size_t end = rest.find(':');
    std::string candidate(rest.substr(0, end));
    if (candidate.empty()) candidate = ".";
    // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) on
    // dir + "/" + program here.
    candidate += '/';
    candidate += program;
    if (IsExecutableFile(candidate)) return candidate;
    if (end == std::string_view::npos) return "";
    rest = rest.substr(end + 1);
  }
}

std::string ProgramPath() {
  std::array<char, 4096> exe{};
  const ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size() - 1);
  if (n <= 0) return {};
  return ToDosPath(std::string(exe.data(), static_cast<std::size_t>(n)));
}

}  // namespace platform
