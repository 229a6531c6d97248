// The joystick registry as the customizer's Options menu changes it: the
// serial port and axis map of every joystick slot, and the stock
// configuration the monitor makes live when no listed game runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

// --- Joystick Settings -----------------------------------------------------

// What the joystick settings dialog shows when it opens.
struct JoystickSettingsView {
  int joyId = 0;                   // the slot bound to the driver, else slot 0
  std::vector<std::string> ports;  // "COM1" .. "COM<count>", in this order
  std::string axisMap;             // the slot's present axis map
  // The slot's port; when the slot holds no valid one, the last port of the
  // list (0 without serial ports), which only fills the field.
  int port = 0;
  bool portFromSlot = false;       // port is what the slot holds
};

JoystickSettingsView ReadJoystickSettings();

// "COM<port>".
std::string PortText(int port);
// The number after the first three characters of a port text ("COM2" ->
// 2), 0 when there is none.
int PortNumberOfText(std::string_view text);

// An axis map as the user may enter it: the first six characters each one
// of X, Y, Z, R, U, V in either case.
bool IsAcceptableAxisMap(std::string_view text);

// The port OK writes: the one in the field when the user picked or typed
// one, or when it is the slot's own; 0 (no port written) when the field
// only shows the last port of the list because the slot had none.
int ChosenPort(const JoystickSettingsView& view, std::string_view portText, bool userChosePort);

// Writes the axis map (its six letters) into every slot, the port (1 .. 6;
// other values write no port) into every slot, and binds the driver's slot
// with both, as one store transaction: kRegOk, or why the store refused
// (then nothing was written). The map must be acceptable.
platform::RegStatus WriteJoystickSettings(std::string_view axisMap, int port);

// --- Default Joystick Settings ---------------------------------------------

inline constexpr int kDefaultJoy2D = 0;
inline constexpr int kDefaultJoy3D = 1;
inline constexpr int kDefaultGeneric = 2;

// The monitor's settings file in the current directory.
std::string MonitorSettingsPath();

// The choice `Config` of `Defaults` selects: exactly "Joy2D.vcg" 0, exactly
// "Joy3D.vcg" 1, anything else (missing, other letter case) 2.
int ReadDefaultJoystickChoice();
// The file name a choice stands for; empty for no choice.
std::string_view DefaultJoystickFile(int choice);
// Writes the choice's file name to `Config`; false when there is no choice
// or the file cannot be written.
bool WriteDefaultJoystickChoice(int choice);
