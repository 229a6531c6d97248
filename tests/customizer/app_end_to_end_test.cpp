// The customizer in a product folder made by tandrix install, on the store
// that install seeded: a DOS game and a Windows 95 configuration opened
// through Select Game, changed, saved and applied, then read back from
// the files and from `tandrix reg export`.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app_fixture.h"
#include "customizer/shared_strings.h"
#include "platform/profile.h"
#include "platform/registry.h"

namespace {

using ui::OpenDialog;

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    if (::pclose(p) != 0) out += "\n(exit status not 0)";
  }
  return out;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// Select Game, the kind, a row; then slider to 150, Full Freedom,
// Vertical and Save Settings.
void OpenChangeAndSave(ui::headless::ScriptedUser& user, OpenDialog& d, int kind, int list,
                       const std::string& row) {
  user.OnDialog(kIddGameType, [kind](OpenDialog& t) { t.Click(kind); });
  user.OnDialog(list, [row](OpenDialog& l) {
    ASSERT_TRUE(l.SelectRowText(kIdcGameList, row));
    l.Click(IDOK);
  });
  ASSERT_TRUE(d.Click(kIdcSelectGame));
  ASSERT_EQ(d.Text(kIdcDisplayName), row);
  d.Click(kIdcFullFreedom);
  ASSERT_TRUE(d.MoveSlider(kIdcSlider, 150));
  d.Click(kIdcVertical);
  ASSERT_TRUE(d.Click(kIdcSave));
  EXPECT_EQ(d.Text(kIdcStatus), custtest::S(kIdsModifyOrLoad));
}

TEST(ChooserEndToEnd, InstalledProductSaveAndApply) {
  testsupport::TempDir root;
  const std::string db = root.Host("registry.db");
  testsupport::ScopedEnv store("TANDRIX_REGISTRY", db.c_str());
  const std::string product = root.Host("Tandrix");
  ASSERT_EQ(std::system((std::string(TANDRIX_TOOL) + " install " + product + " >/dev/null").c_str()), 0);
  EXPECT_TRUE(root.Exists("Tandrix/Chooser"));
  EXPECT_EQ(platform::GetPrivateProfileString("Defaults", "Customizer", "", 260,
                                              product + "/Tandmon.ini"),
            "Chooser");
  const std::string quakeBefore = root.Read("Tandrix/games/quake.vcg");
  const std::string genericBefore = root.Read("Tandrix/defaults/Generic.vcg");

  {
    std::string error;
    platform::SetSystemRegistry(platform::OpenSqliteRegistry(db, &error));
    ASSERT_TRUE(error.empty()) << error;
    testsupport::ScopedCwd cwd(product);
    InitSharedStrings("Customizer Utility V4.71");
    ui::headless::TestApplication app;
    ui::SetApplication(&app);
    CCustomizerDlg dlg;
    app.User().OnDialog(kIddCustomizer, [&](OpenDialog& d) {
      OpenChangeAndSave(app.User(), d, kIdcDosGames, kIddDosGameList, "Quake");
      OpenChangeAndSave(app.User(), d, kIdcWin95Games, kIddWinGameList, "Generic");
      ASSERT_TRUE(d.Click(kIdcApply));
      d.Click(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(app.Dialogs()), IDOK);
    EXPECT_TRUE(app.User().MessageBoxes().empty());
    ui::SetApplication(nullptr);
    platform::SetSystemRegistry(nullptr);
    SetStartDirectory(".");
    SetGamesDirectory(".\\games");
    SetSupportDirectory(".\\support");
  }

  std::string want = Replaced(quakeBefore, "ORIENTATION = HORIZONTAL", "ORIENTATION = VERTICAL");
  want = Replaced(want, "0.80, 0.70, 0.85, 0.75, 0.80, 0.60, 1.00 }\r\nSENS_EXP_USER",
                  "0.80, 0.70, 0.85, 0.75, 0.80, 0.60, 1.50 }\r\nSENS_EXP_USER");
  const std::string quakeAfter = root.Read("Tandrix/games/quake.vcg");
  EXPECT_NE(quakeAfter.find("LEVEL = INTERMEDIATE\r\n"), std::string::npos);
  EXPECT_EQ(custtest::WithoutDate(quakeAfter), custtest::WithoutDate(want));

  want = Replaced(genericBefore, "LEVEL = BEGINNER", "LEVEL = INTERMEDIATE");
  want = Replaced(want, "ORIENTATION = HORIZONTAL", "ORIENTATION = VERTICAL");
  want = Replaced(want, "0.85, 0.85, 0.90, 0.80, 0.80, 0.80, 1.00 }\r\nSENS_EXP_USER",
                  "0.85, 0.85, 0.90, 0.80, 0.80, 0.80, 1.50 }\r\nSENS_EXP_USER");
  EXPECT_EQ(custtest::WithoutDate(root.Read("Tandrix/defaults/Generic.vcg")),
            custtest::WithoutDate(want));

  const std::string exported = Shell(std::string(TANDRIX_TOOL) + " reg export");
  const std::size_t at = exported.find("\"Joy1ConfigurationFile\"=");
  ASSERT_NE(at, std::string::npos) << exported;
  const std::string line = exported.substr(at, exported.find('\n', at) - at);
  EXPECT_NE(line.find("Tandrix\\\\defaults\\\\Generic.vcg"), std::string::npos) << line;
}

}  // namespace

namespace {

// Without a display the customizer says why on stderr and ends at once
// with a failure, instead of waiting for a user who cannot see it.
TEST(ChooserProcess, WithoutADisplayItEndsWithAReason) {
  testsupport::TempDir dir;
  const std::string out = Shell("cd " + dir.path() + " && env -u DISPLAY -u WAYLAND_DISPLAY " +
                              "TANDRIX_HEADLESS=1 timeout 10 " + CHOOSER_EXE + " 2>&1");
  EXPECT_NE(out.find("Chooser: cannot show the customizer"), std::string::npos) << out;
  EXPECT_NE(out.find("(exit status not 0)"), std::string::npos) << out;
  const std::string help = Shell(std::string(CHOOSER_EXE) + " --help");
  EXPECT_EQ(help.rfind("usage: Chooser", 0), 0u) << help;
}

}  // namespace
