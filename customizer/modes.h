// Level and orientation for every game at once: the work behind the
// "Mode Settings for All Games" dialog, kept apart from the dialog so it can
// run (and be measured) without one.
//
// Two codings of the orientation meet here. The dialog's radio group counts
// Vertical as 0 and Horizontal as 1; configuration files, the game settings
// and the launcher menu use 0 horizontal and 1 vertical. Levels are 0 Basic
// and 1 Full Freedom everywhere.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/registry.h"

inline constexpr int kNoChoice = -1;

// The dialog's two radio groups.
inline constexpr int kSkillBasic = 0;
inline constexpr int kSkillFullFreedom = 1;
inline constexpr int kOrientationChoiceVertical = 0;
inline constexpr int kOrientationChoiceHorizontal = 1;

// Files, relative to the customizer's current directory.
inline constexpr std::string_view kDefaultsDirectory = "defaults";
inline constexpr std::string_view kGamesDirectory = "games";
inline constexpr std::string_view kMenuFile = "support\\motiva.cfg";

// A radio group without a selection is kNoChoice: that setting is left as
// it is everywhere (files, registry, menu file, the open game).
struct ModesChoice {
  int skill = kNoChoice;        // kSkillBasic or kSkillFullFreedom
  int orientation = kNoChoice;  // kOrientationChoiceVertical or ...Horizontal
  bool Empty() const { return skill == kNoChoice && orientation == kNoChoice; }
};

// The configuration coding of an orientation choice: 1 for Vertical, 0 for
// Horizontal, kNoChoice for none.
int ConfigOrientationOf(int orientationChoice);

// The choices the registry's private values preselect: "BASIC" / "FULL"
// and "VERTICAL" / "HORIZONTAL", compared exactly; anything else (or no
// value) selects nothing.
ModesChoice ReadModesFromRegistry();

// Called with a configuration's application name before it is rewritten.
using RewriteProgress = std::function<void(const std::string& applicationName)>;

struct RewriteCount {
  int rewritten = 0;
  int skipped = 0;  // could not be read or written; left byte for byte as it was
};

// Rewrites every "*.vcg" of dir (chicken.vcg and train.vcg excepted, in any
// letter case) through the reader and writer with the chosen level and
// orientation. Each file is replaced whole or not at all.
RewriteCount RewriteConfigurations(std::string_view dir, const ModesChoice& choice,
                                   const RewriteProgress& progress);

// Rewrites the launcher's menu file so that its current values and its
// entries for changing them match the level (0 Basic, 1 Full Freedom) and
// the orientation (configuration coding); kNoChoice leaves that part as it
// is. The file is replaced whole once the new one is complete. 0, or -1
// when it cannot be read or replaced (it is then unchanged).
int RewriteMenuFile(int levelCode, int orientationCode);

struct ModesOutcome {
  // kRegOk, or why the store refused the private values; then no file was
  // touched either.
  platform::RegStatus store = platform::kRegOk;
  RewriteCount defaults;
  RewriteCount games;
  bool levelStored = false;        // the registry's private value was written
  bool orientationStored = false;
  int menu = -1;                   // RewriteMenuFile's result; -1 also when nothing was chosen
};

// The whole of OK: the registry's private values (one store transaction),
// then the configuration files of defaults and of games, then the menu
// file. The store goes first: a store that refuses leaves every file as it
// was, so files and registry never tell two different modes. With no
// choice at all nothing is touched.
ModesOutcome ApplyModesToAllGames(const ModesChoice& choice, const RewriteProgress& progress);
