// Chooser, the Tandrix customizer: opens a game's configuration, changes
// its level, orientation, sensitivity and buttons, saves and applies it.
//
// Run it in the product folder: every file it uses is taken from the
// current directory and from the DOS software's folder in the registry.
#include <cstdio>
#include <memory>
#include <string>

#include "customizer/app/customizer_app.h"
#include "platform/dospath.h"
#include "platform/fileops.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "ui/frontend.h"

namespace {

constexpr const char kUsage[] =
    "usage: Chooser\n"
    "\n"
    "The Tandrix customizer. It opens the configuration the monitor made live\n"
    "last; Select Game opens another game's. Change its skill level,\n"
    "orientation, sensitivity and buttons, then Save Settings, and Apply\n"
    "Settings to make it live at once. A running customizer is brought to the\n"
    "front instead of starting a second one. It needs a display.\n"
    "\n"
    "  -h, --help  show this and end\n"
    "\n"
    "Run it in a product folder (made by \"tandrix install\"): Tandmon.ini,\n"
    "games.ini, defaults\\ and games\\ are taken from the current directory.\n"
    "\"tandrix start Chooser\" runs it in the player's own folder.\n";

}  // namespace

int main(int argc, char** argv) {
  if (platform::AsksForHelp(argc, argv)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  // The program's own folder, for its help file; a bare name was started
  // from the current directory.
  const std::string self = argc > 0 ? platform::ToDosPath(argv[0]) : std::string();
  const std::size_t cut = self.rfind('\\');
  SetProgramDirectory(cut == std::string::npos ? "." : self.substr(0, cut));

  // Looked for first: a second start brings the running customizer forward
  // wherever it is started from, before anything here could refuse it.
  if (CCustomizerApp::BringRunningForward()) return 0;

  std::string why;
  std::unique_ptr<ui::Application> app = ui::CreateApplication(argc, argv, &why);
  if (!app->ShowsDialogs()) {
    // The customizer is nothing but its window: without a display there
    // is nobody to show it to, and it must not sit waiting for one.
    std::fprintf(stderr, "Chooser: cannot show the customizer: %s\n", why.c_str());
    return 1;
  }
  if (!platform::IsProductFolder(".")) {
    std::fprintf(stderr,
                 "Chooser: %s is not a product folder (no Tandmon.ini, games.ini or defaults\\).\n"
                 "Make one with \"tandrix install\" (the player's folder) or \"tandrix install DIR\",\n"
                 "then start the customizer there, or run \"tandrix start Chooser\".\n",
                 // The player knows the folder by its own path, not as Z:\...
                 platform::ToHostPath(platform::CurrentDirectory()).value_or(platform::CurrentDirectory()).c_str());
    return 1;
  }
  ui::SetApplication(app.get());
  // A store another program holds locked is reported after a short wait:
  // the player is looking at a frozen window meanwhile.
  platform::SetSystemRegistryBusyTimeout(platform::kRegShortWaitMs);
  int code = 0;
  {
    CCustomizerApp customizer(*app);
    code = customizer.InitInstance();
  }
  ui::SetApplication(nullptr);
  return code;
}
