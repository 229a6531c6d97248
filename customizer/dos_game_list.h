// CDosGameList: the DOS games of the DOS driver's setup file.
//
// DOS games are not in Games.ini; the DOS software lists them in
// "setup.cfg" in the support folder, one section per game whose GAMECFG
// key names the game's configuration file in the games folder:
//
//   [Duke_Nukem_3D]
//   GAMECFG=duke3d.vcg
//
// The rest of that file belongs to the DOS software; only this reading is
// ours, and it keeps the line limits the DOS software writes to: section
// lines are read 127 characters at a time, the lines inside a section 31
// at a time, so a GAMECFG value longer than 23 characters is cut.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct DosGameEntry {
  std::string name;  // the section name, "_" shown as blanks
  std::string file;  // the GAMECFG value
};

class CDosGameList {
 public:
  // Reads setupCfgPath; a file that cannot be read gives an empty list.
  explicit CDosGameList(std::string_view setupCfgPath);

  int Count() const { return static_cast<int>(entries_.size()); }
  // In file order.
  const std::vector<DosGameEntry>& Entries() const { return entries_; }

 private:
  std::vector<DosGameEntry> entries_;
};

inline constexpr std::string_view kSetupCfgName = "setup.cfg";
