#include <gtest/gtest.h>

#include "fakes.h"
#include "monitor/gamelist.h"
#include "monitor/monitor_state.h"
#include "platform/dospath.h"
#include "support/tempdir.h"

namespace {

using montest::Crlf;
using testsupport::ScopedCwd;
using testsupport::TempDir;

class GameListTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScopedCwd cwd{dir.path()};
};

TEST_F(GameListTest, ListEndsAtTheFirstSectionWithoutTitle) {
  struct Case {
    const char* name;
    const char* ini;
    std::vector<std::string> titles;
  };
  const Case cases[] = {
      {"gap after Game1", "[Game1]\nGameTitle=Quake\n[Game3]\nGameTitle=Duke\n", {"Quake"}},
      {"Game2 has an exe but no title",
       "[Game1]\nGameTitle=A\n[Game2]\nGameExe=b.exe\n[Game3]\nGameTitle=C\n", {"A"}},
      {"empty title ends it", "[Game1]\nGameTitle=\n[Game2]\nGameTitle=B\n", {}},
      {"section names ignore case", "[game1]\ngametitle=A\n[GAME2]\nGAMETITLE=B\n", {"A", "B"}},
      {"no file", nullptr, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove((dir.path() + "/games.ini").c_str());
    if (c.ini) dir.Write("games.ini", Crlf(c.ini));
    GameList list;
    LoadGameList(list);
    std::vector<std::string> titles;
    for (const auto& e : list.entries) titles.push_back(e->title);
    EXPECT_EQ(titles, c.titles);
  }
}

TEST_F(GameListTest, EntryFieldsListsAndLimits) {
  const std::string longValue(100, 'x');
  dir.Write("games.ini",
            Crlf("[Game1]\nGameTitle=Quake\nGameExe=QUAKE.EXE\nGameVcg=quake.vcg\n"
                 "File1=mva.dll\nFile2=sub\\data.pak\nFile4=skipped\n"
                 "Modify1=config.cfg joy \"joy 1\"\nNewGame=1\n"
                 "[Game2]\nGameTitle=" + longValue + "\nGameExe=x.exe\nFile1=\nFile2=late\n"
                 "Modify1=" + longValue + "\n"));
  GameList list;
  LoadGameList(list);
  ASSERT_EQ(list.size(), 2u);
  const GameEntry& q = *list.entries[0];
  EXPECT_EQ(q.number, 1);
  EXPECT_EQ(q.exeName, "QUAKE.EXE");
  EXPECT_EQ(q.configName, "quake.vcg");
  EXPECT_EQ(q.files, (std::vector<std::string>{"mva.dll", "sub\\data.pak"}));
  EXPECT_EQ(q.modifications, (std::vector<std::string>{"config.cfg joy \"joy 1\""}));
  EXPECT_EQ(q.newGame, 1);

  const GameEntry& x = *list.entries[1];
  EXPECT_EQ(x.number, 2);
  EXPECT_EQ(x.title, std::string(79, 'x'));   // cut to the buffer
  EXPECT_TRUE(x.files.empty());               // File1 empty ends the list
  ASSERT_EQ(x.modifications.size(), 1u);
  EXPECT_EQ(x.modifications[0].size(), 79u);
  EXPECT_EQ(x.newGame, kNewGameUnset);        // missing NewGame
  EXPECT_EQ(x.configName, "");

  FreeGameList(list);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.Find("x.exe"), nullptr);
}

TEST_F(GameListTest, FindMatchesExecutablesWithoutRegardToCaseInListOrder) {
  dir.Write("games.ini",
            Crlf("[Game1]\nGameTitle=Old\nGameExe=Game.exe\nGameVcg=nosupport\n"
                 "[Game2]\nGameTitle=Other\nGameExe=other.exe\n"
                 "[Game3]\nGameTitle=New\nGameExe=GAME.EXE\nGameVcg=game.vcg\n"));
  GameList list;
  LoadGameList(list);
  const auto* found = list.Find("game.exe");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(*found, (std::vector<std::size_t>{0, 2}));
  EXPECT_EQ(list.Find("game"), nullptr);
  // Reloading replaces the index too.
  dir.Write("games.ini", Crlf("[Game1]\nGameTitle=Only\nGameExe=only.exe\n"));
  LoadGameList(list);
  EXPECT_EQ(list.Find("game.exe"), nullptr);
  ASSERT_NE(list.Find("ONLY.EXE"), nullptr);
}

// A long list is read to its end, and stops early when the program is
// asked to end meanwhile.
TEST_F(GameListTest, LongListsLoadWholeOrStopWhenAskedTo) {
  std::string ini;
  for (int n = 1; n <= 3000; ++n) {
    ini += "[Game" + std::to_string(n) + "]\nGameTitle=G" + std::to_string(n) + "\nGameExe=g" +
           std::to_string(n) + ".exe\n";
  }
  dir.Write("games.ini", Crlf(ini));
  GameList list;
  int asked = 0;
  EXPECT_TRUE(LoadGameList(list, [&] { return ++asked > 0; }));
  EXPECT_EQ(list.size(), 3000u);
  EXPECT_GT(asked, 0);
  ASSERT_NE(list.Find("G3000.EXE"), nullptr);
  EXPECT_FALSE(LoadGameList(list, [] { return false; }));
  EXPECT_LT(list.size(), 3000u);
}

TEST_F(GameListTest, SettingsDefaultsAndPlayers) {
  struct Case {
    const char* name;
    const char* ini;  // null: no Tandmon.ini
    std::string subdir;
  };
  const Case cases[] = {
      {"no file", nullptr, "Defaults"},
      {"second player", "[Players]\nCurrent=Bob\nPlayer1=Ann\nPlayer2=Bob\nSubDir2=bob\n", "bob"},
      {"player names keep their case",
       "[Players]\nCurrent=bob\nPlayer1=Ann\nPlayer2=Bob\nSubDir2=bob\n", "Defaults"},
      {"player without subdir", "[Players]\nCurrent=Ann\nPlayer1=Ann\nSubDir2=x\n", "Defaults"},
      {"unknown player, stray SubDir after the list",
       "[Players]\nCurrent=Zed\nPlayer1=Ann\nSubDir1=ann\nSubDir2=zed\n", "zed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove((dir.path() + "/Tandmon.ini").c_str());
    if (c.ini) dir.Write("Tandmon.ini", Crlf(c.ini));
    MonitorState state;
    state.playerSubdir = "stale";
    LoadMonitorSettings(state);
    EXPECT_EQ(state.playerSubdir, c.subdir);
  }

  std::remove((dir.path() + "/Tandmon.ini").c_str());
  MonitorState state;
  state.showJoystick = 7;
  LoadMonitorSettings(state);
  EXPECT_EQ(state.showJoystick, 1);
  EXPECT_EQ(state.currentPlayer, "Defaults");
  EXPECT_EQ(state.customizerPath, "TandCfg.exe");
  EXPECT_EQ(state.defaultConfigPath, "defaults\\Joy3D.vcg");

  dir.Write("tandmon.ini",
            Crlf("[Defaults]\nShowJoystick=0\nCustomizer=Chooser\nConfig=Joy2D.vcg\n"));
  LoadMonitorSettings(state);
  EXPECT_EQ(state.showJoystick, 0);
  EXPECT_EQ(state.customizerPath, "Chooser");
  EXPECT_EQ(state.defaultConfigPath, "defaults\\Joy2D.vcg");
}

TEST(GameListLongPath, SettingsAreFoundInADeepProductDirectory) {
  TempDir dir;
  std::string deep = "product-directory-with-a-rather-long-name/and-one-more-level-below-it";
  dir.Write(deep + "/Tandmon.ini", Crlf("[Defaults]\nConfig=Generic.vcg\n"));
  ScopedCwd cwd(dir.Host(deep));
  ASSERT_GT(platform::CurrentDirectory().size(), 79u);
  MonitorState state;
  LoadMonitorSettings(state);
  EXPECT_EQ(state.defaultConfigPath, "defaults\\Generic.vcg");
}

TEST_F(GameListTest, PlayedGamesAreRecordedOnceInOrder) {
  RecordPlayedGame("Quake");
  RecordPlayedGame("Quake");
  RecordPlayedGame("quake");  // titles match exactly
  RecordPlayedGame("");
  RecordPlayedGame("Duke");
  EXPECT_EQ(dir.Read("Tandmon.ini"),
            Crlf("[Games]\nGame1=Quake\nGame2=quake\nGame3=Duke\n"));
}

}  // namespace
