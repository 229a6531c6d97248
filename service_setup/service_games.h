// The three DOS games the service setup prepares, and where it remembers
// them: the Services section of tandmon.ini in the product folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The dialog's game numbers (the position of the checked radio button).
inline constexpr int kNoGame = -1;
inline constexpr int kGameDuke = 0;
inline constexpr int kGameQuake = 1;
inline constexpr int kGameDescent = 2;

struct ServiceGame {
  std::string_view gameName;     // also the game's key of Services
  std::string_view expectedExe;  // what the open-file dialog offers first
  std::string_view frontEnd;     // the product's front end in games\, run by specmva.bat
  std::string_view defaultPath;  // the game's path when Services has none
};

// The game with that number, or null for kNoGame and unknown numbers.
const ServiceGame* FindServiceGame(int game);

// The buffer the paths of Services are read into, as the dialog holds them.
inline constexpr std::size_t kServicePathBuffer = 260;

// "<productDir>\tandmon.ini".
std::string ServicesIniPath(std::string_view productDir);

// Where the game was last set up, else its default path; empty for kNoGame.
std::string ReadServiceGamePath(std::string_view productDir, int game);

// The executable most recently set up (CurrentGame); empty when none.
std::string ReadCurrentGame(std::string_view productDir);

// Records a game that was set up: its own key first, then CurrentGame.
// False when the settings file cannot be written.
bool RecordServiceGame(std::string_view productDir, int game, std::string_view gamePath);
