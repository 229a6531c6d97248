// Tandmon, the Tandrix monitor: a tray program that makes the configuration
// of the game being played live for the device.
//
//   Tandmon          start watching (a running monitor is closed first)
//   Tandmon -close   close the running monitor and end
//
// Run it in the product folder: every file it uses is taken from the
// current directory.
#include <cstdio>
#include <memory>
#include <string>

#include "monitor/app/resources.h"
#include "monitor/app/tandmon.h"
#include "platform/dospath.h"
#include "platform/fileops.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "ui/display.h"
#include "ui/frontend.h"

namespace {

constexpr int kMonitorStoreWaitMs = 2000;

constexpr const char kUsage[] =
    "usage: Tandmon [-close]\n"
    "\n"
    "The Tandrix monitor. Every 3 seconds it looks at the running programs and\n"
    "makes the configuration of the game being played live for the Tandrix, and\n"
    "the default configuration when no listed game runs. A running monitor is\n"
    "closed first. With a display it shows an icon in the system tray.\n"
    "\n"
    "  -close      only close the running monitor (the default configuration is\n"
    "              made live first)\n"
    "  -h, --help  show this and end\n"
    "\n"
    "Run it in a product folder (made by \"tandrix install\"): Tandmon.ini,\n"
    "games.ini, defaults\\ and games\\ are taken from the current directory.\n"
    "\"tandrix start Tandmon\" runs it in the player's own folder.\n";

}  // namespace

int main(int argc, char** argv) {
  if (platform::AsksForHelp(argc, argv)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!platform::IsProductFolder(".")) {
    std::fprintf(stderr,
                 "Tandmon: %s is not a product folder (no Tandmon.ini, games.ini or defaults\\).\n"
                 "Make one with \"tandrix install\" (the player's folder) or \"tandrix install DIR\",\n"
                 "then start the monitor there, or run \"tandrix start Tandmon\".\n",
                 // The player knows the folder by its own path, not as Z:\...
                 platform::ToHostPath(platform::CurrentDirectory()).value_or(platform::CurrentDirectory()).c_str());
    return 1;
  }
  // Taken before the front end sees the arguments: Qt removes those it
  // knows.
  const std::string commandLine = platform::CommandLineOf(argc, argv);
  std::string why;
  std::unique_ptr<ui::Application> app = ui::CreateApplication(argc, argv, &why);
  if (!app->ShowsDialogs() && ui::HasDisplay()) {
    std::fprintf(stderr, "Tandmon: watching without windows or tray: %s\n", why.c_str());
  }
  ui::SetApplication(app.get());
  // A store another program holds locked is tried again at the next tick:
  // waiting longer than a tick for it would hold the whole monitor.
  platform::SetSystemRegistryBusyTimeout(kMonitorStoreWaitMs);
  int code = 0;
  {
    TandmonApp monitor(*app);
    code = monitor.Run(commandLine);
    // A start that could not reach the running monitor has said why. What
    // was closed is what the start found when it looked, which may be a
    // monitor that started after this one did.
    if (monitor.CloseOnly() && code == 0) {
      if (const int closed = monitor.ClosedProcessId(); closed > 0) {
        std::printf("Tandmon: closed the monitor that was running (process %d)\n", closed);
      } else if (closed < 0) {
        std::printf("Tandmon: closed the monitor that was running\n");
      } else {
        std::printf("Tandmon: no monitor was running\n");
      }
      const std::string& config = monitor.State().defaultConfigPath;
      if (monitor.DefaultActivation() == 0) {
        std::printf("Tandmon: the default configuration %s is live\n", config.c_str());
      } else {
        const std::string reason = monitor.DefaultActivation() == -2 ? "no joystick slot is bound to the driver"
                                   : monitor.State().storeOutage   ? "the registry store cannot be written; see error.log"
                                                                   : "it cannot be read or applied";
        std::printf("Tandmon: the default configuration %s could not be made live (%s)\n", config.c_str(),
                    reason.c_str());
      }
    }
  }
  ui::SetApplication(nullptr);
  return code;
}
