// CGameSettings: the customizer's working copy of one game configuration.
//
// It keeps two views of the open .vcg file side by side: the full record of
// the tuning library, written back unchanged except where the user view
// overrides it, and the user view the dialogs edit (level, orientation,
// axis maps, sensitivities, filters, buttons). A snapshot of the user view
// as last loaded or saved tells whether anything changed.
//
// The dialogs receive a reference to the one instance the main dialog owns
// and edit its public fields in place.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "tuning/mva_config.h"

// An axis map: for each joystick axis X Y Z R U V the driving device axis
// 0..5 (TX..RZ) or -1 for none, then for each the reversed flag 0 or 1.
using AxisMap = std::array<int, 12>;
// Seven sensitivities in hundredths (100 neutral): the master, then TX..RZ.
using SensArray = std::array<int, 7>;

inline constexpr int kNoAxis = -1;
inline constexpr int kLevels = 3;       // Basic, Full Freedom, Champion
inline constexpr int kTypeNone = -1;    // no configuration loaded
inline constexpr int kTypeDos = 0;
inline constexpr int kTypeWindows = 1;
inline constexpr int kInstructionsNotSet = 2;  // NewGame missing from Games.ini
inline constexpr int kMaxButtonNames = 100;

// Why a load failed.
enum class LoadError {
  None,
  Unreadable,  // the file cannot be opened
  OldVersion,  // VERSION is not major.minor, or older than 4
};

class CGameSettings {
 public:
  CGameSettings() { Reset(); }

  // Empties the object: nothing loaded (type -1), every axis unused,
  // built-in default maps and neutral sensitivities.
  void Reset();
  // Reads path into both views. On failure the fields keep whatever the
  // reads filled in; callers load into a fresh object (see LoadReplacing).
  LoadError Load(std::string_view path);
  // Writes the whole record to path, then lays the user view over it from
  // the template (the source file, or config.dft in the start directory
  // when there is none). 0, or the non-zero result of the library's write.
  int Save(std::string_view path);
  // True when the user view differs from the snapshot of the last load or
  // save, or a dialog has set the dirty flag.
  bool Changed() const;

  // From the built-in tables, for the axes whose label is not empty.
  void BuildDefaultMap(AxisMap& target, bool vertical) const;
  void BuildDefaultSensitivities(SensArray& target) const;

  SensArray& DefaultSens(int lvl) { return sens[Clamp(lvl)]; }
  SensArray& CurrentSens(int lvl) { return sens[kLevels + Clamp(lvl)]; }
  const SensArray& DefaultSens(int lvl) const { return sens[Clamp(lvl)]; }
  const SensArray& CurrentSens(int lvl) const { return sens[kLevels + Clamp(lvl)]; }

  // Set by dialogs that changed something Changed() does not compare.
  int dirty = 0;
  int level = 0;        // 0 Basic, 1 Full Freedom, 2 Champion
  int orientation = 0;  // 0 Horizontal, 1 Vertical, 2 Advanced
  std::string title;    // APPLICATION_NAME as in the file, quotes and all
  std::array<std::string, kMvaAxes> labels;  // empty: the axis is not used
  AxisMap hrzDefaultMap{};
  AxisMap vrtDefaultMap{};
  AxisMap hrzUserMap{};
  AxisMap vrtUserMap{};
  AxisMap advUserMap{};
  std::array<int, kLevels> filters{};
  // Default arrays for the three levels, then the current ones.
  std::array<SensArray, 2 * kLevels> sens{};
  std::array<int, kMvaButtons> defaultButtons{};  // name index, 255 for none
  std::array<int, kMvaButtons> currentButtons{};
  int nameCount = 0;
  std::vector<std::string> buttonNames;  // at most 100, 35 characters each
  int owner = 1;  // 0 the maker, 1 user, 2 OEM
  int type = kTypeNone;
  MVA_CfgRecord record;
  // NewGame of the game's Games.ini section: 0, 1, or 2 for not set.
  int instructionsValue = 0;
  std::string gameSection;  // "Game%d", empty while not known
  std::string sourcePath;   // the file loaded, empty after Reset

 private:
  struct Snapshot {
    int level = 0;
    int orientation = 0;
    AxisMap hrzUserMap{};
    AxisMap vrtUserMap{};
    AxisMap advUserMap{};
    std::array<SensArray, kLevels> currentSens{};
    std::array<int, kLevels> filters{};
    std::array<int, kMvaButtons> currentButtons{};
  };
  static int Clamp(int lvl) { return lvl < 0 ? 0 : (lvl >= kLevels ? kLevels - 1 : lvl); }
  void TakeSnapshot();
  void ReconcileMaps();

  Snapshot snapshot_;
};

// Loads path into a fresh CGameSettings and, only when that succeeds, puts
// it in place of settings. A failed load therefore leaves settings exactly
// as it was: a later save can never write a mixture of two files over the
// one that is open.
LoadError LoadReplacing(CGameSettings& settings, std::string_view path);

// "Quake" for "games\quake.vcg": the text after the last "/", "\" or ":"
// (tried in that order), without a final ".vcg" of any case.
std::string DisplayNameOf(std::string_view path);
// text without a final ".vcg" of any case.
std::string CutVcgExtension(std::string_view text);
