// svcsetup, the game service setup: prepares Duke Nukem 3D, Quake or
// Descent for play through an online game service, and restores the game
// when the service ends. The monitor starts it with "1 ten.exe" and
// "0 ten.exe"; run it in the product folder.
#include <memory>
#include <string>

#include "platform/dospath.h"
#include "platform/process.h"
#include "service_setup/app/svcsetup.h"
#include "ui/headless/frontend.h"

int main(int argc, char** argv) {
  // Taken before the front end sees the arguments: Qt removes those it
  // knows.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
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
