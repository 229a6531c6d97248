#include "ui/help.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/process.h"

namespace ui {

std::string HelpViewer() {
  const char* chosen = std::getenv("TANDRIX_HELP_VIEWER");
  if (chosen != nullptr && chosen[0] != '\0') return platform::FindHostProgram(chosen);
  return platform::FindHostProgram("xdg-open");
}

bool OpenHelpFile(const std::string& file, std::string* why) {
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
