// CDosGameList: the DOS games of setup.cfg, read line by line as the DOS
// software writes them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "customizer/dos_game_list.h"
#include "customizer_fixture.h"
#include "product_files.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries Read(const std::string& path) {
  Entries out;
  const CDosGameList list(path);
  for (const auto& e : list.Entries()) out.emplace_back(e.name, e.file);
  return out;
}

// Each row: the file's text (LF line ends; CR LF where noted), then the
// entries in file order.
TEST(DosGameList, ReadsGameSections) {
  struct Row {
    const char* what;
    std::string text;
    Entries want;
  };
  const std::vector<Row> rows = {
      {"underscores become blanks",
       "[Duke_Nukem_3D]\nGAMECFG=duke3d.vcg\n", {{"Duke Nukem 3D", "duke3d.vcg"}}},
      {"blanks around = and after the value",
       "[Quake]\nGAMECFG = quake.vcg   \n", {{"Quake", "quake.vcg"}}},
      {"CR LF line ends", custtest::Crlf("[Quake]\nGAMECFG=quake.vcg\n"), {{"Quake", "quake.vcg"}}},
      {"key in any case, file order kept",
       "[Zork]\ngamecfg=zork.vcg\n[Abuse]\nGameCfg=abuse.vcg\n",
       {{"Zork", "zork.vcg"}, {"Abuse", "abuse.vcg"}}},
      {"Setup is not a game", "[setup]\nGAMECFG=setup.vcg\n[Quake]\nGAMECFG=q.vcg\n",
       {{"Quake", "q.vcg"}}},
      {"a section without GAMECFG does not hide the next one",
       "[Notes]\nPATH=C:\\X\n[Quake]\nGAMEDIR=C:\\Q\nGAMECFG=q.vcg\n", {{"Quake", "q.vcg"}}},
      {"an empty value is skipped", "[Empty]\nGAMECFG=   \n[Quake]\nGAMECFG=q.vcg\n",
       {{"Quake", "q.vcg"}}},
      {"GAMECFG at the end of the file without a value", "[A]\nGAMECFG", {}},
      {"the eighth character is dropped whatever it is", "[A]\nGAMECFG:a.vcg\n", {{"A", "a.vcg"}}},
      {"a longer key still counts: its eighth character is dropped", "[A]\nGAMECFGX=a.vcg\n",
       {{"A", "a.vcg"}}},
      {"a value longer than 23 characters is cut",
       "[Long]\nGAMECFG=abcdefghijklmnopqrstuvwxyz.vcg\n", {{"Long", "abcdefghijklmnopqrstuvw"}}},
      {"the name runs to the last ]", "[A]B]\nGAMECFG=a.vcg\n", {{"A]B", "a.vcg"}}},
      {"a section line without ]", "[Odd\nGAMECFG=o.vcg\n", {{"Odd", "o.vcg"}}},
      {"lines before the first section are ignored", "GAMECFG=x.vcg\n[A]\nGAMECFG=a.vcg\n",
       {{"A", "a.vcg"}}},
      {"only the first GAMECFG of a section counts",
       "[A]\nGAMECFG=a.vcg\nGAMECFG=b.vcg\n", {{"A", "a.vcg"}}},
      {"empty file", "", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    testsupport::TempDir dir;
    dir.Write("setup.cfg", row.text);
    EXPECT_EQ(Read(dir.Host("setup.cfg")), row.want);
  }
}

TEST(DosGameList, MissingOrUnreadableFileGivesNoGames) {
  testsupport::TempDir dir;
  EXPECT_EQ(CDosGameList(dir.Host("setup.cfg")).Count(), 0);
  EXPECT_EQ(CDosGameList(dir.path()).Count(), 0);  // a folder
}

TEST(DosGameList, TheProductListsItsDosGames) {
  custtest::ProductDir p;
  EXPECT_EQ(Read(SupportDirectory() + "\\setup.cfg"),
            (Entries{{"Quake", "quake.vcg"}, {"Duke Nukem 3D", "duke3d.vcg"}, {"Descent", "descent.vcg"}}));
  const CDosGameList list(SupportDirectory() + "\\setup.cfg");
  for (const auto& e : list.Entries()) {
    EXPECT_TRUE(p.dir.Exists("games/" + e.file)) << e.file;
  }
}

}  // namespace
