// svcsetup, the game service setup: prepares Duke Nukem 3D, Quake or
// Descent for play through an online game service, and restores the game
// when the service ends. The monitor starts it with "1 ten.exe" and
// "0 ten.exe"; run it in the product folder.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/dospath.h"
#include "platform/process.h"
#include "service_setup/app/svcsetup.h"
#include "ui/frontend.h"

namespace {

constexpr const char kUsage[] =
    "usage: svcsetup 1|0 SERVICE-PROGRAM\n"
    "\n"
    "The Tandrix game service setup. The monitor starts it when a game service's\n"
    "program starts (\"1 ten.exe\") and when it ends (\"0 ten.exe\").\n"
    "\n"
    "  1 ten.exe    show the setup for TEN: choose Duke Nukem 3D or Quake and its\n"
    "               path; OK keeps the game's program as realgame.exe, puts the\n"
    "               Tandrix launcher in its place and writes specmva.bat\n"
    "  1 ewrap.exe  the same for ENGAGE, with Descent\n"
    "  0 ten.exe    copy realgame.exe back over the game set up last; no window\n"
    "  -h, --help   show this and end\n"
    "\n"
    "Run it in the product folder: tandmon.ini, support\\specmva.exe, tdxload.bat\n"
    "and games\\ are taken from the current directory, and failures are logged to\n"
    "error.log there. Without a display the setup is not shown.\n";

}  // namespace

int main(int argc, char** argv) {
  if (platform::AsksForHelp(argc, argv)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  // Taken before the front end sees the arguments: Qt removes those it
  // knows.
  const std::string commandLine = platform::CommandLineOf(argc, argv);
  // The program as it was started, not where a link to it leads: its help
  // lies beside it.
  const std::string argv0 = argc > 0 ? argv[0] : "";
  const std::string programPath = argv0.find('/') != std::string::npos
                                      ? platform::ToDosPath(argv0)
                                      : platform::ProgramPath();
  std::unique_ptr<ui::Application> app = ui::CreateApplication(argc, argv);
  ui::SetApplication(app.get());
  const int code = RunServiceSetup(*app, commandLine, app->ShowsDialogs(), programPath);
  ui::SetApplication(nullptr);
  return code;
}
