#include "ui/help.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/dospath.h"

namespace ui {

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsExecutable(const std::string& path) {
  return IsRegularFile(path) && ::access(path.c_str(), X_OK) == 0;
}

std::string FindInPath(const std::string& program) {
  if (program.find('/') != std::string::npos) return IsExecutable(program) ? program : std::string();
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/" + program;
    if (IsExecutable(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

}  // namespace

std::string HelpViewer() {
  const char* chosen = std::getenv("TANDRIX_HELP_VIEWER");
  if (chosen != nullptr && chosen[0] != '\0') return FindInPath(chosen);
  return FindInPath("xdg-open");
}

bool WinHelp(std::string_view helpFile, unsigned command, unsigned long, std::string* why) {
  if (command == HELP_QUIT) return true;
  const std::string file = HelpFileToOpen(helpFile);
  if (file.empty()) {
    if (why != nullptr) *why = "help file " + std::string(helpFile) + " not found";
    return false;
  }
  const std::string viewer = HelpViewer();
  if (viewer.empty()) {
    if (why != nullptr) *why = "no help viewer installed (xdg-open or TANDRIX_HELP_VIEWER)";
    return false;
  }
  // Started twice removed, so the viewer is nobody's child to wait for and
  // the program goes on at once. Everything the children need is made
  // before the fork: between fork and exec they only call the system.
  std::vector<char*> argv{const_cast<char*>(viewer.c_str()), const_cast<char*>(file.c_str()),
                          nullptr};
  const pid_t child = ::fork();
  if (child < 0) {
    if (why != nullptr) *why = "could not start " + viewer;
    return false;
  }
  if (child == 0) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  const bool started = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!started && why != nullptr) *why = "could not start " + viewer;
  return started;
}

}  // namespace ui
