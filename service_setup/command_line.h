// What the game service setup is asked to do, read from its command line.
//
// The monitor starts it with "1 <service program>" when the service program
// starts and "0 <service program>" when it ends. The leading word decides
// when it is one of those digits, so a "0" inside the program's name (say
// "1 C:\ten0\ten.exe") still sets up. Any other text keeps the older rule
// that a "0" anywhere asks for the restore: a hand-made command line may
// rely on it.
#pragma once

#include <string_view>

enum class SetupMode {
  kNoCommandLine,  // empty or blank: nothing to do but say so
  kRestore,        // copy realgame.exe back; no window
  kSetup,          // show the main dialog
};

enum class Service { kNone, kTen, kEngage };

struct ServiceCommand {
  SetupMode mode = SetupMode::kNoCommandLine;
  Service service = Service::kNone;
};

// The service is found by its program's name in exact case: "ten.exe" for
// TEN, else "ewrap.exe" for ENGAGE.
ServiceCommand ParseServiceCommand(std::string_view commandLine);

// "TEN", "ENGAGE" or "".
std::string_view ServiceName(Service service);
