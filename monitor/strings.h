// The monitor's string table: every text it shows or logs, by resource id.
#pragma once

#include <string_view>

// Resource ids of the monitor's strings.
inline constexpr int kIdsTrayTip = 1;              // "Tandrix Monitor"
inline constexpr int kIdsGameSetUp = 40013;        // restart after preparing a game
inline constexpr int kIdsTandrix = 40014;          // caption of the monitor's boxes
inline constexpr int kIdsDriverFailed = 40016;     // activation failed (+ path)
inline constexpr int kIdsNotSelected = 40017;      // device is not the joystick
inline constexpr int kIdsErrorCaption = 40018;     // caption of an error box
inline constexpr int kIdsNoInstructions = 40021;   // instructions dialog, empty list
inline constexpr int kIdsQuakeBatch = 40023;       // restart after rewriting q95.bat
// Logged when a game's File or Modify entry is refused (outside its
// directory, or an edit without a key).
inline constexpr int kIdsEntryRefused = 40024;

// The text of a string id from the program's string table
// (ui::LoadString reads the same table); empty for an unknown id.
std::string_view MonitorString(int id);
