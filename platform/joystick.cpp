#include "platform/host_detail.h"
#include "platform/joystick.h"

#include "platform/driver_socket.h"
#include "platform/process.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace platform {
namespace {

// The program that shows the host's joystick settings: TANDRIX_JOYSTICK_PANEL
// when set (empty: none), else the common GTK joystick tester.
std::string ControlPanelProgram() {
  if (const char* env = std::getenv("TANDRIX_JOYSTICK_PANEL")) return env;
  return "jstest-gtk";
}

// Starts a program that outlives the call and is never waited for: a short
// intermediate process starts it and ends, so no zombie stays behind.
bool StartDetached(const std::string& program) {
  pid_t mid = ::fork();
  if (mid < 0) return false;
  if (mid == 0) {
    ::setsid();
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    int rc = ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ);
    ::_exit(rc == 0 ? 0 : 1);
  }
  int status = 0;
  while (::waitpid(mid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// This build's joystick service: it names the driver key the installer
// seeds; configuration changes need no one told, since the values live in
// the registry store every program reads.
class HostJoystickService final : public JoystickService {
 public:
  unsigned GetDevCaps(unsigned joyId, unsigned capsSize, std::string& regKey) override {
    if (capsSize != kJoyCapsSize) return kJoyErrInvalidParam;
    if (joyId != kJoyIdAll && joyId >= 16) return kJoyErrBadDeviceId;
    regKey = std::string(kDefaultJoystickDriverKey);
    return kJoyErrNoError;
  }
  unsigned ConfigChanged(unsigned) override { return kJoyErrNoError; }
  bool ShowControlPanel(void*) override {
    std::string program = ControlPanelProgram();
    if (program.empty()) return false;
    std::string found = FindHostProgram(program);
    return !found.empty() && StartDetached(found);
  }
};

}  // namespace

std::unique_ptr<JoystickService> hostdetail::NewHostJoystickService() {
  return std::make_unique<HostJoystickService>();
}

std::unique_ptr<DriverPort> hostdetail::NewHostDriverPort() { return NewSocketDriverPort(); }

}  // namespace platform
