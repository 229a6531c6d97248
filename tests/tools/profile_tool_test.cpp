#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <ctime>
#include <functional>

#include "platform/dospath.h"
#include "run_tool.h"
#include "support/tempdir.h"

namespace {

using testsupport::RunTool;
using testsupport::TempDir;

TEST(ProfileTool, GetIntSetWithDosAndHostPaths) {
  TempDir t;
  t.Write("Tandmon.ini", "[Defaults]\r\nConfig = Joy2D.vcg\r\nShowJoystick=0x1\r\n");
  ASSERT_EQ(::mkfifo(t.Host("fifo.ini").c_str(), 0644), 0);
  const std::string dos = platform::ToDosPath(t.Host("Tandmon.ini"));
  // What a killed writer left here a while ago goes with the next write.
  t.Write(".tandrix-Stale1", "");
  const timespec old[2] = {{std::time(nullptr) - 600, 0}, {std::time(nullptr) - 600, 0}};
  ::utimensat(AT_FDCWD, t.Host(".tandrix-Stale1").c_str(), old, 0);
  const auto sizeLimit = [] {
    rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  };
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string out;
    std::function<void()> inChild = nullptr;
    std::string err = "tandrix: ";
  } cases[] = {
      {{"profile", "get", dos, "DEFAULTS", "config"}, 0, "Joy2D.vcg\n"},
      {{"profile", "get", "tandmon.INI", "Defaults", "Missing", "dflt"}, 0, "dflt\n"},
      {{"profile", "get", "tandmon.ini", "Defaults", "Missing"}, 0, "\n"},
      {{"profile", "int", "Tandmon.ini", "Defaults", "ShowJoystick", "5"}, 0, "0\n"},
      {{"profile", "int", "Tandmon.ini", "Defaults", "Missing", "-3"}, 0, "-3\n"},
      {{"profile", "set", t.Host("Tandmon.ini"), "Games", "Current", "quake.vcg"}, 0, ""},
      {{"profile", "get", "Tandmon.ini", "Games", "Current"}, 0, "quake.vcg\n"},
      {{"profile", "int", "Tandmon.ini", "Defaults", "X", "notanumber"}, 2, ""},
      {{"profile", "get", "Tandmon.ini"}, 2, ""},
      {{"profile", "set", "nofolder/x.ini", "A", "b", "c"}, 1, ""},
      // a FIFO is an error, not an empty file, and never waited on
      {{"profile", "get", "fifo.ini", "A", "b"}, 1, ""},
      {{"profile", "int", "fifo.ini", "A", "b", "1"}, 1, ""},
      {{"profile", "set", "fifo.ini", "A", "b", "c"}, 1, ""},
      // fails instead of being killed by the size limit; the file stays
      {{"profile", "set", "Tandmon.ini", "Games", "Big", std::string(4000, 'x')}, 1, "", sizeLimit,
       "over the file size limit"},
      {{"nosuchcommand"}, 2, ""},
  };
  for (const auto& c : cases) {
    auto r = RunTool(c.args, t.path(), c.inChild);
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    EXPECT_EQ(r.exitCode, c.exit) << joined << r.err;
    EXPECT_EQ(r.out, c.out) << joined;
    if (c.exit != 0) {
      EXPECT_NE(r.err.find(c.err), std::string::npos) << joined << r.err;
    }
  }
  EXPECT_EQ(t.Read("Tandmon.ini"),
            "[Defaults]\r\nConfig = Joy2D.vcg\r\nShowJoystick=0x1\r\n\r\n[Games]\r\n"
            "Current=quake.vcg\r\n");
  EXPECT_FALSE(t.Exists(".tandrix-Stale1"));
}

// One step per row, in a product folder whose games.ini has a stale
// section after a gap: the list stays numbered without gaps, the stale
// section's keys are not taken over, and mistakes change nothing.
TEST(GameTool, ListAddRemoveKeepTheNumberingDense) {
  TempDir t;
  t.Write("Tandmon.ini", "[Players]\r\nCurrent=Ann\r\nPlayer1=Ann\r\nSubDir1=ann\r\n");
  t.Write("defaults/racer.vcg", "");
  t.Write("games.ini",
          "[Game1]\r\nGameTitle=Quake\r\nGameExe=quake.exe\r\nGameVcg=quake.vcg\r\nInst1=Run.\r\n"
          "[Game2]\r\nGameTitle=Duke\r\nGameExe=duke3d.exe\r\nGameVcg=duke3d.vcg\r\n"
          "[Game4]\r\nGameTitle=Stale\r\nInst1=Old.\r\n[Game3]\r\nInst2=Older.\r\n");
  struct Step {
    std::vector<std::string> args;
    int exit;
    std::string out;
  } steps[] = {
      {{"game", "list"}, 0,
       "Game1   Quake                        quake.exe        quake.vcg\n"
       "Game2   Duke                         duke3d.exe       duke3d.vcg\n"},
      {{"game", "add", "Racer", "/opt/racer/Racer.exe", "racer.vcg"}, 0,
       "added Game3: Racer (Racer.exe, racer.vcg)\n"},
      {{"game", "add", "Racer 2", "RACER.EXE", "racer.vcg"}, 1, ""},
      {{"game", "add", "Bad", "bad.exe", "sub/bad.vcg"}, 1, ""},
      {{"game", "add", "Two\nlines", "two.exe", "two.vcg"}, 1, ""},
      {{"game", "add", "Cards", "cards.exe"}, 2, ""},
      {{"game", "remove", "Nothing"}, 1, ""},
      {{"game", "remove", "QUAKE.EXE"}, 0, "removed Game1 (Quake)\n"},
      {{"game", "list"}, 0,
       "Game1   Duke                         duke3d.exe       duke3d.vcg\n"
       "Game2   Racer                        Racer.exe        racer.vcg\n"},
  };
  for (const auto& step : steps) {
    std::string joined;
    for (const auto& a : step.args) joined += a + " ";
    SCOPED_TRACE(joined);
    auto r = RunTool(step.args, t.path());
    EXPECT_EQ(r.exitCode, step.exit) << r.err;
    EXPECT_EQ(r.out, step.out);
  }
  // What moved down took no key of the section it replaced, and the last
  // number is empty again.
  auto get = [&](const char* section, const char* key) {
    return RunTool({"profile", "get", "games.ini", section, key}, t.path()).out;
  };
  EXPECT_EQ(get("Game1", "Inst1"), "\n");
  EXPECT_EQ(get("Game2", "Inst2"), "\n");
  EXPECT_EQ(get("Game3", "GameTitle"), "\n");
  EXPECT_EQ(get("Game4", "GameTitle"), "\n");  // the stale game did not join the list
  EXPECT_EQ(get("Game2", "NewGame"), "0\n");
}

}  // namespace
