// The driver's systemd user unit, enabled and disabled beside the monitor's
// autostart entry.
#pragma once

#include <string>

namespace tools {

inline constexpr const char kDriverUnit[] = "vexord.service";

// Enables (on) or disables the unit with "systemctl --user" (the program
// TANDRIX_SYSTEMCTL names, else systemctl) and returns a line that says
// what came of it. A machine without a user service manager gets a line
// that says how to start the driver by hand; that is no failure of the
// install.
std::string SetDriverAutostart(bool on);

}  // namespace tools
