// svcsetup, the game service setup: prepares Duke Nukem 3D, Quake or
// Descent for play through an online game service, and restores the game
// when the service ends. The monitor starts it with "1 ten.exe" and
// "0 ten.exe"; run it in the product folder.
#include <memory>
#include <string>

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
  std::unique_ptr<ui::Application> app = ui::CreateApplication(argc, argv);
  ui::SetApplication(app.get());
  const int code = RunServiceSetup(*app, commandLine, app->ShowsDialogs());
  ui::SetApplication(nullptr);
  return code;
}
