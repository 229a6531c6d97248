// Processes on Windows: toolhelp snapshots, CreateProcessA.
//
// A snapshot lists the processes of this program's session (a user's
// login), oldest first, after the system's own pseudo-entry, each with its
// image's full path; a process whose path cannot be asked is listed by its
// bare name. Programs start detached, inheriting no handle.
#include <algorithm>
#include <string>

#include "platform/dospath.h"
#include "platform/host_detail.h"
#include "platform/process.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace {

using hostdetail::NamesItself;
using hostdetail::ProgramFile;

struct Listed {
  ProcessEntry entry;
  ULONGLONG created = 0;
};

// The image path and the start time of a process; false when it may not
// be asked (another user's, or ended meanwhile).
bool Inspect(DWORD pid, std::string& path, ULONGLONG& created) {
  HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (h == nullptr) return false;
  char buf[MAX_PATH * 4];
  DWORD n = sizeof buf;
  bool ok = ::QueryFullProcessImageNameA(h, 0, buf, &n) != 0;
  if (ok) path.assign(buf, n);
  FILETIME c, e, k, u;
  if (::GetProcessTimes(h, &c, &e, &k, &u)) {
    created = (static_cast<ULONGLONG>(c.dwHighDateTime) << 32) | c.dwLowDateTime;
  }
  ::CloseHandle(h);
  return ok;
}

}  // namespace

bool hostdetail::StartHostProcess(std::string_view program, std::string_view commandLine,
                                  std::string_view currentDirectory, std::uint32_t* processId) {
  const auto host = ProgramFile(program);
  if (!host) return false;
  std::string dir;
  if (!currentDirectory.empty() && currentDirectory != ".") {
    auto d = ToHostPath(currentDirectory);
    if (!d) return false;
    dir = *d;
    DWORD attrs = ::GetFileAttributesA(dir.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return false;
  }
  // The command line names the program first, as every Windows program
  // expects to find itself there.
  const std::vector<std::string> words = SplitCommandLine(commandLine);
  std::string line(commandLine);
  if (!NamesItself(words, program)) line = "\"" + std::string(program) + "\"" + (line.empty() ? "" : " " + line);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(host->c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
    return false;
  }
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  if (processId) *processId = pi.dwProcessId;
  return true;
}

bool ListHostProcesses(std::vector<ProcessEntry>& out) {
  out.clear();
  HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return false;
  DWORD ownSession = 0;
  ::ProcessIdToSessionId(::GetCurrentProcessId(), &ownSession);
  std::vector<Listed> listed;
  PROCESSENTRY32 pe{};
  pe.dwSize = sizeof pe;
  for (BOOL more = ::Process32First(snap, &pe); more; more = ::Process32Next(snap, &pe)) {
    if (pe.th32ProcessID == 0) continue;
    DWORD session = 0;
    if (!::ProcessIdToSessionId(pe.th32ProcessID, &session) || session != ownSession) continue;
    Listed l;
    l.entry.processId = pe.th32ProcessID;
    l.entry.parentProcessId = pe.th32ParentProcessID;
    if (!Inspect(pe.th32ProcessID, l.entry.exePath, l.created)) l.entry.exePath = pe.szExeFile;
    listed.push_back(std::move(l));
  }
  ::CloseHandle(snap);
  std::stable_sort(listed.begin(), listed.end(),
                   [](const Listed& a, const Listed& b) { return a.created < b.created; });
  ProcessEntry system;
  system.exePath = std::string(kSystemProcessName);
  out.push_back(system);
  for (auto& l : listed) out.push_back(std::move(l.entry));
  return true;
}

bool ProcessIsRunning(std::uint32_t processId) {
  if (processId == 0) return false;
  HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (h == nullptr) return false;
  const bool running = ::WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
  ::CloseHandle(h);
  return running;
}

bool TerminateProcess(std::uint32_t processId) {
  if (processId == 0) return false;
  HANDLE h = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
  if (h == nullptr) return false;
  bool ok = ::WaitForSingleObject(h, 0) == WAIT_TIMEOUT && ::TerminateProcess(h, 1);
  ::CloseHandle(h);
  return ok;
}

std::string WindowsDirectory() {
  const char* env = std::getenv("TANDRIX_WINDIR");
  if (env != nullptr && *env != '\0') return env;
  char buf[MAX_PATH];
  UINT n = ::GetWindowsDirectoryA(buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : "C:\\WINDOWS";
}

std::string ProgramPath() {
  char buf[MAX_PATH * 4];
  DWORD n = ::GetModuleFileNameA(nullptr, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

}  // namespace platform
