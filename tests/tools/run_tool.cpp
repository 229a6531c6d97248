#include "run_tool.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/tempdir.h"

namespace testsupport {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args, const std::string& cwd,
                   const std::function<void()>& inChild) {
  TempDir capture;
  std::string outPath = capture.Host("out"), errPath = capture.Host("err");
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(127);
    if (!std::freopen(outPath.c_str(), "w", stdout) || !std::freopen(errPath.c_str(), "w", stderr)) {
      ::_exit(127);
    }
    if (inChild) inChild();
    std::vector<char*> argv;
    std::string tool = TANDRIX_TOOL;
    argv.push_back(tool.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(tool.c_str(), argv.data());
    ::_exit(127);
  }
  ToolResult r;
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = Slurp(outPath);
  r.err = Slurp(errPath);
  return r;
}

}  // namespace testsupport
