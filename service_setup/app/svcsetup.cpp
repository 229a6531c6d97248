#include "service_setup/app/svcsetup.h"

#include <cstdio>
#include <string>

#include "platform/dospath.h"
#include "service_setup/app/dialogs.h"
#include "service_setup/command_line.h"
#include "service_setup/game_setup.h"
#include "service_setup/strings.h"

int RunServiceSetup(ui::Application& app, std::string_view commandLine, bool withDialogs,
                    std::string_view programPath) {
  const std::string productDir = platform::CurrentDirectory();
  const ServiceCommand command = ParseServiceCommand(commandLine);
  switch (command.mode) {
    case SetupMode::kNoCommandLine:
      LogNoCommandLine(productDir);
      app.Dialogs().MessageBox(nullptr, ServiceString(kIdsContactSupport), "ERROR",
                               MB_OK | MB_ICONERROR);
      return 1;
    case SetupMode::kRestore:
      return RestoreGame(productDir) == RestoreStatus::kRestored ? 0 : 1;
    case SetupMode::kSetup:
      break;
  }
  if (!withDialogs) {
    std::fprintf(stderr, "svcsetup: no display to show the game service setup on; nothing set up\n");
    return 0;
  }
  CServiceSetupDlg dlg(productDir, command.service, std::string(programPath));
  return dlg.DoModal(app.Dialogs()) < 0 ? 1 : 0;
}
