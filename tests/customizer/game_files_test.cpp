// The customizer's reading of Games.ini and Tandmon.ini.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "customizer/game_files.h"
#include "support/tempdir.h"

namespace {

std::vector<std::string> Texts(const std::vector<WinGameRow>& rows) {
  std::vector<std::string> out;
  for (const auto& r : rows) out.push_back(r.text + "|" + r.file + "|" + r.section);
  return out;
}

const std::vector<std::string> kBuiltIn = {"Generic|Generic.vcg|",
                                           "Joystick Emulation (2-axis)|Joy2d.vcg|",
                                           "Joystick Emulation (with Rudder)|Joy3d.vcg|"};

std::vector<std::string> BuiltInAnd(std::vector<std::string> more) {
  std::vector<std::string> out = kBuiltIn;
  out.insert(out.end(), more.begin(), more.end());
  return out;
}

// Each row: Games.ini, then the rows of the Windows game list.
TEST(GameFiles, WindowsGameRows) {
  struct Row {
    const char* what;
    std::string ini;
    std::vector<std::string> want;
  };
  const std::vector<Row> rows = {
      {"no file", "", kBuiltIn},
      {"a hidden section does not end the list",
       "[Game1]\nGameTitle=Hidden\nGameVcg=h.vcg\nShow=0\n[Game2]\nGameTitle=Shown\nGameVcg=s.vcg\n",
       BuiltInAnd({"Shown|s.vcg|Game2"})},
      {"chicken.vcg in any case is left out",
       "[Game1]\nGameTitle=Chicken\nGameVcg=CHICKEN.VCG\n[Game2]\nGameTitle=Quake\nGameVcg=quake.vcg\n",
       BuiltInAnd({"Quake|quake.vcg|Game2"})},
      {"an empty title ends the list",
       "[Game1]\nGameTitle=A\n[Game2]\nGameVcg=b.vcg\n[Game3]\nGameTitle=C\n", BuiltInAnd({"A||Game1"})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.path());
    if (!row.ini.empty()) dir.Write("games.ini", row.ini);
    EXPECT_EQ(Texts(ReadWinGameRows()), row.want);
  }
}

TEST(GameFiles, AtMost150Rows) {
  testsupport::TempDir dir;
  testsupport::ScopedCwd cwd(dir.path());
  std::string ini;
  for (int n = 1; n <= 200; ++n) {
    ini += "[Game" + std::to_string(n) + "]\nGameTitle=G" + std::to_string(n) + "\nGameVcg=g.vcg\n";
  }
  dir.Write("games.ini", ini);
  const auto rows = ReadWinGameRows();
  ASSERT_EQ(rows.size(), 150u);
  EXPECT_EQ(rows.back().section, "Game147");
}

TEST(GameFiles, FindsGamesAndTheirNewGame) {
  testsupport::TempDir dir;
  testsupport::ScopedCwd cwd(dir.path());
  EXPECT_EQ(ReadCurrentConfigName(), "Generic.vcg");
  dir.Write("tandmon.ini", "[Games]\nCurrent=quake.vcg\n");
  EXPECT_EQ(ReadCurrentConfigName(), "quake.vcg");
  dir.Write("games.ini",
            "[Game1]\nGameTitle=Quake\nGameVcg=quake.vcg\nNewGame=1\n"
            "[Game2]\nGameTitle=Doom\nGameVcg=DOOM.VCG\n"
            "[Game4]\nGameTitle=Late\nGameVcg=late.vcg\n");
  auto quake = FindGameByVcg("QUAKE.vcg");
  ASSERT_TRUE(quake);
  EXPECT_EQ(quake->section, "Game1");
  EXPECT_EQ(quake->newGame, 1);
  auto doom = FindGameByTitle("Doom");
  ASSERT_TRUE(doom);
  EXPECT_EQ(doom->section, "Game2");
  EXPECT_EQ(doom->newGame, 2);
  EXPECT_FALSE(FindGameByTitle("doom"));  // titles compare exactly
  EXPECT_FALSE(FindGameByVcg("late.vcg"));  // after the gap
  ASSERT_TRUE(WriteNewGame("Game2", 0));
  EXPECT_EQ(ReadNewGame("Game2"), 0);
}

}  // namespace
