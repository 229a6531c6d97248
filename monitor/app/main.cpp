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

#include "monitor/app/tandmon.h"
#include "ui/display.h"
#include "ui/headless/frontend.h"

int main(int argc, char** argv) {
  // Taken before the front end sees the arguments: Qt removes those it
  // knows.
  const std::string commandLine = CommandLineOf(argc, argv);
  std::string why;
  std::unique_ptr<ui::Application> app = ui::CreateApplication(argc, argv, &why);
  if (!app->ShowsDialogs() && ui::HasDisplay()) {
    std::fprintf(stderr, "Tandmon: watching without windows or tray: %s\n", why.c_str());
  }
  ui::SetApplication(app.get());
  int code = 0;
  {
    TandmonApp monitor(*app);
    code = monitor.Run(commandLine);
  }
  ui::SetApplication(nullptr);
  return code;
}
