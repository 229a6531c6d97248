#include "customizer/modes.h"

#include <string>

#include "platform/dospath.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "tuning/mva_config.h"
#include "tuning/mva_joystick.h"

namespace {

constexpr std::size_t kPrivateValueBuffer = 260;
// The launcher reads its menu file in lines of this many characters; a
// longer line is handled in pieces, as it always was.
constexpr std::size_t kMenuLineLimit = 259;

// Configurations that keep their own level and orientation whatever the
// user chooses for all games.
bool IsSpared(std::string_view name) {
  return platform::EqualsNoCase(name, "chicken.vcg") || platform::EqualsNoCase(name, "train.vcg");
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The record the reader fills owns its lists until it is freed, whichever
// way one file's rewrite ends.
class RecordFree {
 public:
  explicit RecordFree(MVA_CfgRecord& record) : record_(record) {}
  ~RecordFree() { MVA_FreeCfgRecord(record_); }
  RecordFree(const RecordFree&) = delete;
  RecordFree& operator=(const RecordFree&) = delete;

 private:
  MVA_CfgRecord& record_;
};

}  // namespace

int ConfigOrientationOf(int orientationChoice) {
  if (orientationChoice == kOrientationChoiceVertical) return MVA_VERTICAL;
  if (orientationChoice == kOrientationChoiceHorizontal) return MVA_HORIZONTAL;
  return kNoChoice;
}

ModesChoice ReadModesFromRegistry() {
  ModesChoice choice;
  std::string level;
  if (MVA_GetLevel(level, kPrivateValueBuffer) == 0) {
    if (level == "BASIC") choice.skill = kSkillBasic;
    if (level == "FULL") choice.skill = kSkillFullFreedom;
  }
  std::string orientation;
  if (MVA_GetOrientation(orientation, kPrivateValueBuffer) == 0) {
    if (orientation == "VERTICAL") choice.orientation = kOrientationChoiceVertical;
    if (orientation == "HORIZONTAL") choice.orientation = kOrientationChoiceHorizontal;
  }
  return choice;
}

RewriteCount RewriteConfigurations(std::string_view dir, const ModesChoice& choice,
                                   const RewriteProgress& progress) {
  RewriteCount count;
  const int orientation = ConfigOrientationOf(choice.orientation);
  for (const std::string& name : platform::FindFiles(std::string(dir) + "\\*.vcg")) {
    if (IsSpared(name)) continue;
    const std::string path = std::string(dir) + "\\" + name;
    MVA_CfgRecord record;
    RecordFree freeRecord(record);
    if (MVA_ReadCfgFile(record, 0, path) != 0) {
      ++count.skipped;
      continue;
    }
    if (progress) progress(record.applicationName);
    if (choice.skill != kNoChoice) record.level = choice.skill;
    if (orientation != kNoChoice) record.orientation = orientation;
    // The writer builds the file beside the old one and renames it over
    // only when complete: a read-only file, a full disk or the end of the
    // program leaves the old file whole.
    if (MVA_WriteCfgFile(record, path) == 0) {
      ++count.rewritten;
    } else {
      ++count.skipped;
    }
  }
  return count;
}

int RewriteMenuFile(int levelCode, int orientationCode) {
  if (levelCode != 0 && levelCode != 1) levelCode = kNoChoice;
  if (orientationCode != MVA_HORIZONTAL && orientationCode != MVA_VERTICAL) {
    orientationCode = kNoChoice;
  }
  platform::File in;
  if (!in.Open(kMenuFile, platform::OpenMode::ReadText)) return -1;
  // Written straight over the menu file: the new text is kept aside and
  // renamed over the old one only when complete, so the launcher finds
  // either menu whole at every moment (a separate motiva.hld deleted and
  // renamed afterwards would leave no menu at all in between).
  platform::File out;
  if (!out.Open(kMenuFile, platform::OpenMode::WriteText)) return -1;

  // Each entry offers the other choice: Basic offers Full Freedom, vertical
  // offers horizontal.
  const std::string_view skillEntry =
      levelCode == 0 ? "FULL FREEDOM=skilli.bat\n" : "BASIC=skillb.bat\n";
  const std::string_view skillValue = levelCode == 0 ? "BEGINNER\n" : "INTERMEDIATE\n";
  const std::string_view orientationEntry =
      orientationCode == MVA_HORIZONTAL ? "VERTICAL=vaxes.bat\n" : "HORIZONTAL=haxes.bat\n";
  const std::string_view orientationValue =
      orientationCode == MVA_HORIZONTAL ? "HORIZONTAL\n" : "VERTICAL\n";

  std::string line;
  std::string dropped;
  bool ok = true;
  while (in.ReadLine(line, kMenuLineLimit)) {
    if (levelCode != kNoChoice && Contains(line, "Skill")) {
      line = "Set Skill to " + std::string(skillEntry);
    }
    if (orientationCode != kNoChoice && Contains(line, "Orientation")) {
      line = "Set Orientation to " + std::string(orientationEntry);
    }
    ok = out.Write(line) && ok;
    // The line after a section header holds its current value. The line
    // read here is the one the [SKILL] test below looks at.
    if (line.starts_with("[ORIENTATION]")) {
      if (orientationCode == kNoChoice) {
        if (in.ReadLine(line, kMenuLineLimit)) ok = out.Write(line) && ok;
      } else {
        ok = out.Write(orientationValue) && ok;
        in.ReadLine(line, kMenuLineLimit);
      }
    }
    if (levelCode != kNoChoice && line.starts_with("[SKILL]")) {
      ok = out.Write(skillValue) && ok;
      in.ReadLine(dropped, kMenuLineLimit);
    }
  }
  if (!ok) {
    out.Abandon();
    return -1;
  }
  return out.Close() ? 0 : -1;
}

ModesOutcome ApplyModesToAllGames(const ModesChoice& choice, const RewriteProgress& progress) {
  ModesOutcome outcome;
  if (choice.Empty()) return outcome;
  {
    platform::RegTransaction group(platform::SystemRegistry());
    outcome.store = group.status();
    if (outcome.store == platform::kRegOk) {
      if (choice.skill != kNoChoice) {
        outcome.levelStored = MVA_SetLevel(choice.skill == kSkillBasic ? "BASIC" : "FULL") == 0;
      }
      if (choice.orientation != kNoChoice) {
        outcome.orientationStored =
            MVA_SetOrientation(choice.orientation == kOrientationChoiceVertical ? "VERTICAL"
                                                                                : "HORIZONTAL") == 0;
      }
      outcome.store = group.Commit();
    }
    if (outcome.store != platform::kRegOk) {
      outcome.levelStored = outcome.orientationStored = false;
      return outcome;
    }
  }
  outcome.defaults = RewriteConfigurations(kDefaultsDirectory, choice, progress);
  outcome.games = RewriteConfigurations(kGamesDirectory, choice, progress);
  outcome.menu = RewriteMenuFile(choice.skill, ConfigOrientationOf(choice.orientation));
  return outcome;
}
