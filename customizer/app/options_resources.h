// Resources of the dialogs of options_dialogs.h: template and control
// numbers, and the templates.
#pragma once

#include "ui/template.h"

// Dialog templates.
inline constexpr int kIddButtonFunctions = 146;
inline constexpr int kIddDefaultJoystick = 172;
inline constexpr int kIddModes = 173;
inline constexpr int kIddJoystickSettings = 177;

// Button functions (146).
inline constexpr int kIdcSetDefault = 1021;
inline constexpr int kIdcConfigName = 1022;
inline constexpr int kIdcButtonA = 1036;  // drop-down lists A .. F are 1036 .. 1041
// Default joystick (172): the radio group 1098 .. 1100.
inline constexpr int kIdcJoy2D = 1098;
inline constexpr int kIdcJoy3D = 1099;
inline constexpr int kIdcGeneric = 1100;
// Modes for all games (173).
inline constexpr int kIdcModesVertical = 1101;  // orientation group: Vertical, Horizontal
inline constexpr int kIdcModesHorizontal = 1102;
inline constexpr int kIdcModesBasic = 1103;  // skill group: Basic, Full Freedom
inline constexpr int kIdcModesFullFreedom = 1104;
inline constexpr int kIdcModesStatus = 1105;
// Joystick settings (177).
inline constexpr int kIdcComPort = 1106;
inline constexpr int kIdcAxisMap = 1107;

const ui::DialogTemplate& ButtonFunctionsTemplate();
const ui::DialogTemplate& DefaultJoystickTemplate();
const ui::DialogTemplate& ModesTemplate();
const ui::DialogTemplate& JoystickSettingsTemplate();
