// The game service setup's string table: the texts it shows or logs that
// live in its resources, by resource id, registered as the program's
// string table. Texts used once stay with their code.
#pragma once

#include <string_view>

inline constexpr int kIdsAboutBox = 101;          // system menu item
inline constexpr int kIdsExeFilter = 115;         // open-file dialog filter
inline constexpr int kIdsErrorOccurred = 119;     // start of the "making new file" error
inline constexpr int kIdsConfigured = 120;        // middle of the success message
inline constexpr int kIdsUnableToContinue = 122;  // end of the "making new file" error
inline constexpr int kIdsNoCommandLine = 130;     // error.log line without a command line
inline constexpr int kIdsContactSupport = 131;    // message without a command line

// The text of a string id; empty for an unknown id.
std::string_view ServiceString(int id);
