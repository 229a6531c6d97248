// RunTool on Windows: tandrix.exe started with CreateProcessA, its output
// and errors going to files that are read once it has ended.
#include "run_tool.h"

#include <windows.h>

#include "platform/dospath.h"
#include "support/tempdir.h"

namespace testsupport {
namespace {

// One argument as the C runtime's command-line parser reads it back.
std::string Quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  std::size_t slashes = 0;
  for (char c : arg) {
    if (c == '"') quoted.append(slashes + 1, '\\');
    slashes = c == '\\' ? slashes + 1 : 0;
    quoted += c;
  }
  return quoted.append(slashes, '\\') + "\"";
}

HANDLE Capture(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

// Nothing can run in the new process before the tool does here: a test
// that needs inChild is for Linux.
ToolResult RunTool(const std::vector<std::string>& args, const std::string& cwd,
                   const std::function<void()>& inChild) {
  ToolResult r;
  const auto tool = platform::ToHostPath(TANDRIX_TOOL);
  if (inChild || !tool) return r;
  TempDir capture;
  std::string line = Quote(*tool);
  for (const std::string& a : args) line += " " + Quote(a);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = Capture(capture.Host("out"));
  si.hStdError = Capture(capture.Host("err"));
  PROCESS_INFORMATION pi{};
  if (::CreateProcessA(tool->c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, cwd.c_str(),
                       &si, &pi)) {
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    if (::GetExitCodeProcess(pi.hProcess, &code)) r.exitCode = static_cast<int>(code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  }
  ::CloseHandle(si.hStdOutput);
  ::CloseHandle(si.hStdError);
  r.out = capture.Read("out");
  r.err = capture.Read("err");
  return r;
}

}  // namespace testsupport
