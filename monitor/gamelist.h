// The game list (games.ini) and the monitor's settings (Tandmon.ini).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/fileops.h"

struct MonitorState;

// Buffer sizes of the values read from the two files (a value keeps at most
// one character less).
inline constexpr std::size_t kGameNameBuffer = 80;    // GameTitle, GameExe, GameVcg
inline constexpr std::size_t kGameFileBuffer = 80;    // File%d, Modify%d
inline constexpr std::size_t kInstructionBuffer = 500;  // Inst%d
inline constexpr std::size_t kPlayerBuffer = 80;      // Current, Player%d, SubDir%d
inline constexpr std::size_t kSettingBuffer = 260;    // Customizer, Config
inline constexpr std::size_t kPlayedBuffer = 260;     // Game%d of Games

// NewGame when the key is missing: do not show the instructions, and show
// the instructions dialog's check box in its third state.
inline constexpr int kNewGameUnset = 2;

// One section "Game%d" of games.ini.
struct GameEntry {
  int number = 0;                           // the number in the section name
  std::string configName;                   // GameVcg, or "nosupport"
  std::string title;                        // GameTitle
  std::string exeName;                      // GameExe
  std::vector<std::string> files;           // File1, File2, ...
  std::vector<std::string> modifications;   // Modify1, Modify2, ...
  int newGame = kNewGameUnset;              // NewGame
};

// Case-blind hashing so processes are matched to games without building a
// lower-case copy of every executable name.
struct NoCaseHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const;
};
struct NoCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

// The games of games.ini in file order. Entries are shared so that a game
// whose preparation is pending stays valid when the list is reloaded.
struct GameList {
  std::vector<std::shared_ptr<GameEntry>> entries;
  // Positions of the entries by GameExe, in list order.
  std::unordered_map<std::string, std::vector<std::size_t>, NoCaseHash, NoCaseEqual> byExe;
  // games.ini as it was when the list was read.
  platform::FileStamp stamp;

  std::size_t size() const { return entries.size(); }
  bool empty() const { return entries.empty(); }
  // Appends an entry and indexes it.
  void Append(std::shared_ptr<GameEntry> entry);
  // Positions of the entries whose GameExe equals exeName (without regard
  // to case), in list order; null when there is none.
  const std::vector<std::size_t>* Find(std::string_view exeName) const;
};

// The product files, in the working directory.
std::string GamesIniPath();     // "<working dir>\games.ini"
std::string SettingsIniPath();  // "<working dir>\Tandmon.ini"

// Reads games.ini: Game1, Game2, ... up to the first section without a
// title. A missing file gives an empty list. keepGoing, when given, is
// asked now and then during a long load; when it answers false the load
// stops and returns false (the list then holds the games read so far).
bool LoadGameList(GameList& list, const std::function<bool()>& keepGoing = {});
void FreeGameList(GameList& list);

// Reads showJoystick, currentPlayer, playerSubdir, customizerPath,
// defaultConfigPath and notify from Tandmon.ini, with their defaults.
void LoadMonitorSettings(MonitorState& state);

// Adds a title to the Games section of Tandmon.ini unless it is there.
void RecordPlayedGame(std::string_view title);
