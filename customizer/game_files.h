// What the customizer reads from and writes to the files it shares with
// the monitor: the configuration last made live (Tandmon.ini) and the game
// list with each game's NewGame value (Games.ini), both in the current
// directory.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kGamesIni = "Games.ini";
inline constexpr std::string_view kTandmonIni = "Tandmon.ini";
inline constexpr std::string_view kDefaultCurrentConfig = "Generic.vcg";
inline constexpr std::string_view kChickenVcg = "chicken.vcg";
// Game titles and file names are read into buffers of this many characters.
inline constexpr std::size_t kGameTextBuffer = 260;
// Rows of the Windows game list: three built-in ones, then games.
inline constexpr int kMaxWinGameRows = 150;
inline constexpr int kBuiltInWinGameRows = 3;

// Key Current of section Games in Tandmon.ini, "Generic.vcg" when missing.
std::string ReadCurrentConfigName();

// The folder of the current player's configurations, as the monitor finds
// it in Tandmon.ini: SubDir<n> of the first Player<n> that is exactly
// Current of Players; "Defaults" when there is none.
std::string ReadPlayerSubdir();

// The file of a configuration named by Current, looked for where the
// monitor takes it from and in the same order: the player's folder, then
// Defaults; then the DOS games' folder (gamesDirectory), which holds the
// DOS games' files; last the name itself, relative or absolute. Empty when
// none of them exists.
std::string FindCurrentConfigFile(std::string_view name, std::string_view gamesDirectory);

struct GameSection {
  std::string section;  // "Game%d"
  int newGame = 2;      // NewGame, 2 when missing
};

// The first section of the game list (up to the first empty GameVcg) whose
// GameVcg equals fileName without regard to case.
std::optional<GameSection> FindGameByVcg(std::string_view fileName);
// The first section (up to the first empty GameTitle) whose GameTitle is
// exactly title.
std::optional<GameSection> FindGameByTitle(std::string_view title);
// NewGame of section; 2 when missing.
int ReadNewGame(std::string_view section);
// Writes NewGame of section as "%d". False when Games.ini cannot be written.
bool WriteNewGame(std::string_view section, int value);

// One row of the Windows game list.
struct WinGameRow {
  std::string text;
  std::string file;     // GameVcg, "" possible
  std::string section;  // "" for the built-in rows
};

// The built-in rows (Generic, the two joystick emulations), then the shown
// games of Games.ini in section order up to the first empty title, leaving
// out hidden sections (Show=0) and "chicken.vcg"; at most 150 rows.
std::vector<WinGameRow> ReadWinGameRows();
