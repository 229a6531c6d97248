// Modes for all games: the registry preselection, the rewrite of every
// configuration file, the launcher menu file's line rules, and files that
// cannot be read or written or a program that is killed half-way.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "customizer/modes.h"
#include "customizer_fixture.h"
#include "platform/fileops.h"
#include "tuning/mva_config.h"
#include "tuning/mva_joystick.h"

namespace {

using custtest::Crlf;
using custtest::Vcg;

std::string Field(const std::string& vcg, const std::string& key) {
  std::size_t at = vcg.find("\n" + key + " = ");
  if (at == std::string::npos) return "<none>";
  at += key.size() + 4;
  return vcg.substr(at, vcg.find('\r', at) - at);
}

std::string PrivateValue(const char* name) {
  std::string value = "<none>";
  if (std::string_view(name) == "TandrixLevel") MVA_GetLevel(value, 260);
  if (std::string_view(name) == "TandrixOrientation") MVA_GetOrientation(value, 260);
  return value;
}

const char* const kMenu =
    "[TITLE]\nTandrix Launcher\n[SKILL]\nBEGINNER\n[ORIENTATION]\nHORIZONTAL\n[MENU]\n"
    "Run Quake=mvaquake.exe\nSet Skill to FULL FREEDOM=skilli.bat\n"
    "Set Orientation to VERTICAL=vaxes.bat\nExit to DOS=exit.bat\n";

TEST(ModesRegistry, PreselectsOnlyTheExactWords) {
  struct Row {
    const char* level;
    const char* orientation;
    int skill;
    int orientationChoice;
  };
  const Row rows[] = {
      {"FULL", "HORIZONTAL", kSkillFullFreedom, kOrientationChoiceHorizontal},
      {"BASIC", "VERTICAL", kSkillBasic, kOrientationChoiceVertical},
      {"full", "Vertical", kNoChoice, kNoChoice},
      {"FULL ", "VERTICAL\t", kNoChoice, kNoChoice},
      {"INTERMEDIATE", "ADVANCED", kNoChoice, kNoChoice},
      {nullptr, nullptr, kNoChoice, kNoChoice},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.level ? r.level : "(no values)");
    joytest::JoystickWorld world;
    world.Install();
    if (r.level) world.SetText(joytest::kPrivateKey, "TandrixLevel", r.level);
    if (r.orientation) world.SetText(joytest::kPrivateKey, "TandrixOrientation", r.orientation);
    const ModesChoice c = ReadModesFromRegistry();
    EXPECT_EQ(c.skill, r.skill);
    EXPECT_EQ(c.orientation, r.orientationChoice);
  }
}

// One row per menu file and choice: the text before and after.
TEST(ModesMenuFile, FollowsTheLineRules) {
  struct Row {
    const char* what;
    std::string before;
    int level;
    int orientation;  // configuration coding
    std::string after;
  };
  const std::vector<Row> rows = {
      {"vertical only", kMenu, kNoChoice, MVA_VERTICAL,
       "[TITLE]\nTandrix Launcher\n[SKILL]\nBEGINNER\n[ORIENTATION]\nVERTICAL\n[MENU]\n"
       "Run Quake=mvaquake.exe\nSet Skill to FULL FREEDOM=skilli.bat\n"
       "Set Orientation to HORIZONTAL=haxes.bat\nExit to DOS=exit.bat\n"},
      {"full freedom and horizontal", kMenu, 1, MVA_HORIZONTAL,
       "[TITLE]\nTandrix Launcher\n[SKILL]\nINTERMEDIATE\n[ORIENTATION]\nHORIZONTAL\n[MENU]\n"
       "Run Quake=mvaquake.exe\nSet Skill to BASIC=skillb.bat\n"
       "Set Orientation to VERTICAL=vaxes.bat\nExit to DOS=exit.bat\n"},
      {"nothing chosen copies every line", kMenu, kNoChoice, kNoChoice, kMenu},
      {"no section lines: only the entries change",
       "Run Quake=mvaquake.exe\nSkill: BASIC=skillb.bat\nOrientation: VERTICAL=vaxes.bat\n"
       "Orientation and Skill\nskill\n",
       0, MVA_VERTICAL,
       "Run Quake=mvaquake.exe\nSet Skill to FULL FREEDOM=skilli.bat\n"
       "Set Orientation to HORIZONTAL=haxes.bat\nSet Skill to FULL FREEDOM=skilli.bat\nskill\n"},
      {"orientation header right after the skill value",
       "[SKILL]\nINTERMEDIATE\n[ORIENTATION]\nVERTICAL\n", 0, MVA_HORIZONTAL,
       "[SKILL]\nBEGINNER\n[ORIENTATION]\nHORIZONTAL\n"},
      {"value line kept when the orientation is left", "[ORIENTATION]\nVERTICAL\n[SKILL]\nX\n",
       0, kNoChoice, "[ORIENTATION]\nVERTICAL\n[SKILL]\nBEGINNER\n"},
      {"last line without a line end", "[SKILL]\nBEGINNER\nSet Skill to X", 1, kNoChoice,
       "[SKILL]\nINTERMEDIATE\nSet Skill to BASIC=skillb.bat\n"},
      {"header as the last line", "[ORIENTATION]", kNoChoice, MVA_VERTICAL,
       "[ORIENTATION]VERTICAL\n"},
      {"long line handled in pieces", std::string(300, 'a') + "Skill\n", 0, kNoChoice,
       std::string(259, 'a') + "Set Skill to FULL FREEDOM=skilli.bat\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.path());
    dir.Write("support/motiva.cfg", Crlf(r.before));
    EXPECT_EQ(RewriteMenuFile(r.level, r.orientation), 0);
    EXPECT_EQ(dir.Read("support/motiva.cfg"), Crlf(r.after));
    EXPECT_FALSE(dir.Exists("support/motiva.hld"));
  }
}

TEST(ModesMenuFile, LeavesAMenuItCannotReplaceAsItWas) {
  testsupport::TempDir dir;
  testsupport::ScopedCwd cwd(dir.path());
  EXPECT_EQ(RewriteMenuFile(0, MVA_VERTICAL), -1);  // no menu file
  EXPECT_FALSE(dir.Exists("support/motiva.cfg"));
  dir.Write("support/motiva.cfg", Crlf(kMenu));
  ASSERT_TRUE(platform::SetReadOnly("support\\motiva.cfg", true));
  EXPECT_EQ(RewriteMenuFile(0, MVA_VERTICAL), -1);
  EXPECT_EQ(dir.Read("support/motiva.cfg"), Crlf(kMenu));
}

// The product's own menu file carries every line the rewrite relies on: a
// round trip through the other choices brings it back byte for byte.
TEST(ModesMenuFile, ProductMenuTakesBothChoicesAndComesBack) {
  testsupport::TempDir dir;
  testsupport::ScopedCwd cwd(dir.path());
  const std::string shipped = custtest::ReadProductFile("support/motiva.cfg");
  dir.Write("support/motiva.cfg", shipped);
  ASSERT_EQ(RewriteMenuFile(1, MVA_VERTICAL), 0);
  const std::string changed = dir.Read("support/motiva.cfg");
  for (const char* line : {"[SKILL]\r\nINTERMEDIATE\r\n", "[ORIENTATION]\r\nVERTICAL\r\n",
                           "\nSet Skill to BASIC=skillb.bat\r\n",
                           "\nSet Orientation to HORIZONTAL=haxes.bat\r\n"}) {
    EXPECT_NE(changed.find(line), std::string::npos) << line;
  }
  ASSERT_EQ(RewriteMenuFile(0, MVA_HORIZONTAL), 0);
  EXPECT_EQ(dir.Read("support/motiva.cfg"), shipped);
}

class ModesForAllGames : public ::testing::Test {
 protected:
  void SetUp() override {
    world.Install();
    dir.Write("support/motiva.cfg", Crlf(kMenu));
  }
  testsupport::TempDir dir;
  testsupport::ScopedCwd cwd{dir.path()};
  joytest::JoystickWorld world;
};

TEST_F(ModesForAllGames, VerticalReachesEveryFileTheRegistryAndTheMenu) {
  const std::map<std::string, std::string> levels = {
      {"defaults/Generic.vcg", "BEGINNER"}, {"defaults/Joy3D.vcg", "INTERMEDIATE"},
      {"games/quake.vcg", "EXPERT"},        {"games/Duke3D.VCG", "BEGINNER"}};
  for (const auto& [file, level] : levels) dir.Write(file, Vcg(file, level, "HORIZONTAL"));
  // Spared in either folder and in any case.
  const std::vector<std::string> spared = {"defaults/chicken.vcg", "games/CHICKEN.VCG",
                                           "games/Train.vcg"};
  for (const auto& file : spared) dir.Write(file, Vcg(file, "BEGINNER", "HORIZONTAL"));
  dir.Write("games/notes.txt", "not a configuration");

  std::vector<std::string> shown;
  const ModesOutcome out = ApplyModesToAllGames(
      {kNoChoice, kOrientationChoiceVertical},
      [&](const std::string& name) { shown.push_back(name); });

  EXPECT_EQ(out.defaults.rewritten + out.games.rewritten, 4);
  EXPECT_EQ(out.defaults.skipped + out.games.skipped, 0);
  EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()),
            (std::set<std::string>{"defaults/Generic.vcg", "defaults/Joy3D.vcg",
                                   "games/quake.vcg", "games/Duke3D.VCG"}));
  for (const auto& [file, level] : levels) {
    SCOPED_TRACE(file);
    const std::string text = dir.Read(file);
    EXPECT_EQ(Field(text, "ORIENTATION"), "VERTICAL");
    EXPECT_EQ(Field(text, "LEVEL"), level);  // no skill chosen: each keeps its own
    EXPECT_NE(text.find("; This file created by MVA_WriteCfgFile"), std::string::npos);
  }
  for (const auto& file : spared) {
    EXPECT_EQ(dir.Read(file), Vcg(file, "BEGINNER", "HORIZONTAL")) << file;
  }
  EXPECT_EQ(PrivateValue("TandrixOrientation"), "VERTICAL");
  EXPECT_EQ(PrivateValue("TandrixLevel"), "<none>");
  EXPECT_EQ(out.menu, 0);
  const std::string menu = dir.Read("support/motiva.cfg");
  EXPECT_NE(menu.find("[ORIENTATION]\r\nVERTICAL\r\n"), std::string::npos);
  EXPECT_NE(menu.find("Set Orientation to HORIZONTAL=haxes.bat\r\n"), std::string::npos);
  EXPECT_NE(menu.find("[SKILL]\r\nBEGINNER\r\n"), std::string::npos);
}

TEST_F(ModesForAllGames, BasicAndHorizontalStoreTheirWords) {
  dir.Write("games/quake.vcg", Vcg("Quake", "INTERMEDIATE", "VERTICAL"));
  ApplyModesToAllGames({kSkillBasic, kOrientationChoiceHorizontal}, nullptr);
  EXPECT_EQ(Field(dir.Read("games/quake.vcg"), "LEVEL"), "BEGINNER");
  EXPECT_EQ(Field(dir.Read("games/quake.vcg"), "ORIENTATION"), "HORIZONTAL");
  EXPECT_EQ(PrivateValue("TandrixLevel"), "BASIC");
  EXPECT_EQ(PrivateValue("TandrixOrientation"), "HORIZONTAL");
  EXPECT_NE(dir.Read("support/motiva.cfg").find("Set Skill to FULL FREEDOM=skilli.bat"),
            std::string::npos);
}

TEST_F(ModesForAllGames, NoChoiceTouchesNothing) {
  dir.Write("games/quake.vcg", Vcg("Quake", "INTERMEDIATE", "VERTICAL"));
  const ModesOutcome out = ApplyModesToAllGames({}, nullptr);
  EXPECT_EQ(out.games.rewritten, 0);
  EXPECT_EQ(dir.Read("games/quake.vcg"), Vcg("Quake", "INTERMEDIATE", "VERTICAL"));
  EXPECT_EQ(dir.Read("support/motiva.cfg"), Crlf(kMenu));
  EXPECT_EQ(PrivateValue("TandrixLevel"), "<none>");
  EXPECT_EQ(PrivateValue("TandrixOrientation"), "<none>");
}

// 200 configurations, one of them not a configuration this version can
// read and one read-only; a folder named like a configuration too.
class ModesManyFiles : public ModesForAllGames {
 protected:
  void SetUp() override {
    ModesForAllGames::SetUp();
    for (int i = 0; i < 200; ++i) {
      const std::string file = (i % 2 ? "games/" : "defaults/") + Name(i);
      old[file] = Vcg("Game " + std::to_string(i), "BEGINNER", "HORIZONTAL");
      dir.Write(file, old[file]);
    }
    dir.Write(kUnreadable, "VERSION = 3.9\r\nAPPLICATION_NAME = Old\r\n");
    old[kUnreadable] = dir.Read(kUnreadable);
    ASSERT_TRUE(platform::SetReadOnly(kReadOnly, true));
    ::mkdir(dir.Host("games/folder.vcg").c_str(), 0755);
  }
  static std::string Name(int i) { return "game" + std::to_string(i) + ".vcg"; }
  // A file is old, or new: the rewrite's text apart from its date line.
  static std::string WithoutDate(std::string text) {
    std::size_t at = text.find("; This file created by");
    if (at != std::string::npos) text.erase(at, text.find('\n', at) + 1 - at);
    return text;
  }
  std::chrono::steady_clock::duration runTime{};
  const std::string kUnreadable = "games/game1.vcg";
  const std::string kReadOnly = "defaults/game0.vcg";
  std::map<std::string, std::string> old;
};

TEST_F(ModesManyFiles, SkipsWhatItCannotReadOrWriteAndRewritesTheRest) {
  const ModesOutcome out =
      ApplyModesToAllGames({kSkillFullFreedom, kOrientationChoiceVertical}, nullptr);
  EXPECT_EQ(out.defaults.rewritten + out.games.rewritten, 198);
  EXPECT_EQ(out.defaults.skipped + out.games.skipped, 2);
  for (const auto& [file, bytes] : old) {
    SCOPED_TRACE(file);
    const std::string now = dir.Read(file);
    if (file == kUnreadable || file == kReadOnly) {
      EXPECT_EQ(now, bytes);
    } else {
      EXPECT_EQ(Field(now, "LEVEL"), "INTERMEDIATE");
      EXPECT_EQ(Field(now, "ORIENTATION"), "VERTICAL");
    }
  }
  EXPECT_EQ(dir.Read("support/motiva.cfg"),
            Crlf("[TITLE]\nTandrix Launcher\n[SKILL]\nINTERMEDIATE\n[ORIENTATION]\nVERTICAL\n"
                 "[MENU]\nRun Quake=mvaquake.exe\nSet Skill to BASIC=skillb.bat\n"
                 "Set Orientation to HORIZONTAL=haxes.bat\nExit to DOS=exit.bat\n"));
}

// Killed at a random moment, the run leaves each file either as it was or
// as the full run writes it, never in between.
TEST_F(ModesManyFiles, KilledAtAnyMomentLeavesEveryFileOldOrNew) {
  // What a complete run writes, from a copy of the folder.
  std::map<std::string, std::string> fresh;
  {
    testsupport::TempDir copy;
    for (const auto& [file, bytes] : old) copy.Write(file, bytes);
    copy.Write("support/motiva.cfg", Crlf(kMenu));
    testsupport::ScopedCwd inCopy(copy.path());
    const auto start = std::chrono::steady_clock::now();
    ApplyModesToAllGames({kSkillFullFreedom, kOrientationChoiceVertical}, nullptr);
    runTime = std::chrono::steady_clock::now() - start;
    for (const auto& [file, bytes] : old) fresh[file] = WithoutDate(copy.Read(file));
    fresh["support/motiva.cfg"] = copy.Read("support/motiva.cfg");
  }
  old["support/motiva.cfg"] = Crlf(kMenu);

  std::mt19937 random(std::random_device{}());
  int interrupted = 0;
  for (int round = 0; round < 6; ++round) {
    for (const auto& [file, bytes] : old) {
      if (file != kReadOnly) dir.Write(file, bytes);
    }
    const auto delay = std::chrono::duration_cast<std::chrono::microseconds>(runTime) *
                       std::uniform_real_distribution<double>(0.0, 1.0)(random);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ApplyModesToAllGames({kSkillFullFreedom, kOrientationChoiceVertical}, nullptr);
      ::_exit(0);
    }
    std::this_thread::sleep_for(delay);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) ++interrupted;
    int oldCount = 0;
    for (const auto& [file, bytes] : old) {
      SCOPED_TRACE(file + " in round " + std::to_string(round));
      const std::string now = dir.Read(file);
      if (now == bytes) {
        ++oldCount;
      } else {
        EXPECT_EQ(WithoutDate(now), fresh[file]);
      }
    }
    RecordProperty("old files in round " + std::to_string(round), oldCount);
  }
  EXPECT_GT(interrupted, 0);
}

}  // namespace
