#include "tools/driver_unit.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace tools {
namespace {

// The exit code of "systemctl --user verb unit", or -1 when it could not run.
int Systemctl(const char* verb) {
  const char* env = std::getenv("TANDRIX_SYSTEMCTL");
  std::string program = env && *env ? env : "systemctl";
  std::vector<std::string> args{program, "--user", verb, kDriverUnit};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Its own words would only repeat ours.
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string SetDriverAutostart(bool on) {
  if (Systemctl(on ? "enable" : "disable") == 0) {
    return on ? std::string("the driver starts at login too (systemd user unit ") + kDriverUnit +
                    "); now: systemctl --user start vexord"
              : std::string("the driver no longer starts at login");
  }
  return on ? std::string("the driver's unit ") + kDriverUnit +
                  " could not be enabled (no systemd user session, or the tandrix package is not "
                  "installed); start the driver by hand: vexord &"
            : std::string("the driver's unit ") + kDriverUnit + " was not enabled";
}

}  // namespace tools
