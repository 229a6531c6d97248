// Modes for all games below the dialog: the launcher menu file's line
// rules, and 200 configurations among which some cannot be read or written,
// rewritten whole or killed half-way.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "customizer/modes.h"
#include "customizer_fixture.h"
#include "platform/fileops.h"
#include "tuning/mva_config.h"

namespace {

using custtest::Crlf;
using custtest::Vcg;

std::string Field(const std::string& vcg, const std::string& key) {
  std::size_t at = vcg.find("\n" + key + " = ");
  if (at == std::string::npos) return "<none>";
  at += key.size() + 4;
  return vcg.substr(at, vcg.find('\r', at) - at);
}

const char* const kMenu =
    "[TITLE]\nTandrix Launcher\n[SKILL]\nBEGINNER\n[ORIENTATION]\nHORIZONTAL\n[MENU]\n"
    "Run Quake=mvaquake.exe\nSet Skill to FULL FREEDOM=skilli.bat\n"
    "Set Orientation to VERTICAL=vaxes.bat\nExit to DOS=exit.bat\n";

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

// 200 configurations, one of them not a configuration this version can
// read and one read-only; a folder and a FIFO named like configurations.
class ModesManyFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    world.Install();
    dir.Write("support/motiva.cfg", Crlf(kMenu));
    for (int i = 0; i < 200; ++i) {
      const std::string file = (i % 2 ? "games/" : "defaults/") + Name(i);
      old[file] = Vcg("Game " + std::to_string(i), "BEGINNER", "HORIZONTAL");
      dir.Write(file, old[file]);
    }
    dir.Write(kUnreadable, "VERSION = 3.9\r\nAPPLICATION_NAME = Old\r\n");
    old[kUnreadable] = dir.Read(kUnreadable);
    ASSERT_TRUE(platform::SetReadOnly(kReadOnly, true));
    ::mkdir(dir.Host("games/folder.vcg").c_str(), 0755);
    ASSERT_EQ(::mkfifo(dir.Host("defaults/pipe.vcg").c_str(), 0644), 0);
  }
  static std::string Name(int i) { return "game" + std::to_string(i) + ".vcg"; }
  // A file is old, or new: the rewrite's text apart from its date line.
  static std::string WithoutDate(std::string text) {
    std::size_t at = text.find("; This file created by");
    if (at != std::string::npos) text.erase(at, text.find('\n', at) + 1 - at);
    return text;
  }
  testsupport::TempDir dir;
  testsupport::ScopedCwd cwd{dir.path()};
  joytest::JoystickWorld world;
  const std::string kUnreadable = "games/game1.vcg";
  const std::string kReadOnly = "defaults/game0.vcg";
  std::map<std::string, std::string> old;
};

// A complete run skips what it cannot read or write and rewrites the rest.
// Killed at a random moment, the same run leaves each file either as it
// was or as the complete run writes it, never in between.
TEST_F(ModesManyFiles, EveryFileIsOldOrNewEvenWhenKilled) {
  const auto start = std::chrono::steady_clock::now();
  const ModesOutcome out =
      ApplyModesToAllGames({kSkillFullFreedom, kOrientationChoiceVertical}, nullptr);
  const auto runTime = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(out.defaults.rewritten + out.games.rewritten, 198);
  EXPECT_EQ(out.defaults.skipped + out.games.skipped, 3);  // with the FIFO
  struct stat st;
  ASSERT_EQ(::stat(dir.Host("defaults/pipe.vcg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  std::map<std::string, std::string> fresh;
  for (const auto& [file, bytes] : old) {
    SCOPED_TRACE(file);
    const std::string now = dir.Read(file);
    fresh[file] = WithoutDate(now);
    if (file == kUnreadable || file == kReadOnly) {
      EXPECT_EQ(now, bytes);
    } else {
      EXPECT_EQ(Field(now, "LEVEL") + Field(now, "ORIENTATION"), "INTERMEDIATEVERTICAL");
    }
  }
  fresh["support/motiva.cfg"] = dir.Read("support/motiva.cfg");
  EXPECT_EQ(fresh["support/motiva.cfg"],
            Crlf("[TITLE]\nTandrix Launcher\n[SKILL]\nINTERMEDIATE\n[ORIENTATION]\nVERTICAL\n"
                 "[MENU]\nRun Quake=mvaquake.exe\nSet Skill to BASIC=skillb.bat\n"
                 "Set Orientation to HORIZONTAL=haxes.bat\nExit to DOS=exit.bat\n"));
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
