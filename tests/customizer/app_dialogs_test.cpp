// The customizer's dialogs on the headless host, played by a scripted
// user: start-up, level and slider, Exit, NewGame, the two game lists,
// failed loads and Apply.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <functional>
#include <string>
#include <vector>

#include "support/dialog_headers.h"
#include "app_fixture.h"
#include "customizer/app/customizer_app.h"
#include "customizer/app/options_resources.h"
#include "customizer/app/resources.h"
#include "customizer/game_files.h"
#include "customizer_fixture.h"
#include "customizer/shared_strings.h"
#include "platform/profile.h"

namespace {

using custtest::ChooserFixture;
using custtest::Crlf;
using custtest::S;
using ui::OpenDialog;

constexpr int kDisabled = -1;  // Show Instructions disabled

int ShowState(const OpenDialog& d) {
  return d.Enabled(kIdcShowInstructions) ? d.Check(kIdcShowInstructions) : kDisabled;
}

void SetCurrent(const std::string& name) {
  platform::WritePrivateProfileString("Games", "Current", name, "Tandmon.ini");
}

// The current player keeps their configurations in folder.
void SetPlayerFolder(const std::string& folder) {
  platform::WritePrivateProfileString("Players", "Current", "Ann", "Tandmon.ini");
  platform::WritePrivateProfileString("Players", "Player1", "Ann", "Tandmon.ini");
  platform::WritePrivateProfileString("Players", "SubDir1", folder, "Tandmon.ini");
}

// quake.vcg of the product with whole lines replaced.
std::string QuakeWith(const custtest::ProductDir& p, const std::string& from, const std::string& to) {
  std::string text = p.dir.Read("games/quake.vcg");
  text.replace(text.find(from), from.size(), to);
  return text;
}

// Select Game, then the kind of game, then a row of the list by its text.
void SelectGame(ChooserFixture& f, OpenDialog& d, int kind, const std::string& row) {
  f.User().OnDialog(kIddGameType, [kind](OpenDialog& t) { t.Click(kind); });
  const int list = kind == kIdcDosGames ? kIddDosGameList : kIddWinGameList;
  f.User().OnDialog(list, [row](OpenDialog& l) {
    EXPECT_TRUE(l.SelectRowText(kIdcGameList, row)) << row;
    l.Click(IDOK);
  });
  d.Click(kIdcSelectGame);
}

TEST(ChooserStart, OpensTheConfigurationLastMadeLive) {
  struct Row {
    const char* what;
    std::function<void(const custtest::ProductDir&)> setup;
    std::string name;
    int typeText;
    bool apply;
    int show;
  };
  const std::vector<Row> rows = {
      {"Generic when the monitor named none", [](const custtest::ProductDir&) {}, "Generic",
       kIdsWindows95, true, kDisabled},
      {"the player's folder first, as the monitor takes it",
       [](const custtest::ProductDir& p) {
         SetCurrent("quake.vcg");
         SetPlayerFolder("ann");
         p.dir.Write("ann/quake.vcg", custtest::Vcg("Quake Ann", "BEGINNER", "HORIZONTAL"));
         p.dir.Write("defaults/quake.vcg", custtest::Vcg("Quake Defaults", "BEGINNER", "HORIZONTAL"));
       },
       "Quake Ann", kIdsWindows95, true, BST_CHECKED},
      {"the Defaults copy before the DOS games' and the folder's own",
       [](const custtest::ProductDir& p) {
         SetCurrent("quake.vcg");
         SetPlayerFolder("ann");
         p.dir.Write("defaults/quake.vcg", custtest::Vcg("Quake Defaults", "BEGINNER", "HORIZONTAL"));
         p.dir.Write("quake.vcg", p.dir.Read("games/quake.vcg"));
       },
       "Quake Defaults", kIdsWindows95, true, BST_CHECKED},
      {"a DOS game's file in games",
       [](const custtest::ProductDir&) {
         SetCurrent("QUAKE.VCG");
         SetPlayerFolder("ann");
       },
       "Quake", kIdsDos, false, BST_CHECKED},
      {"a game without NewGame",
       [](const custtest::ProductDir& p) {
         SetCurrent("duke3d.vcg");
         p.dir.Write("defaults/duke3d.vcg", p.dir.Read("games/duke3d.vcg"));
         p.dir.Write("games.ini", Crlf("[Game1]\nGameTitle=Duke Nukem 3D\nGameVcg=duke3d.vcg\n"));
       },
       "Duke Nukem 3D", kIdsDos, false, kDisabled},
      {"a game with NewGame=0",
       [](const custtest::ProductDir& p) {
         SetCurrent("duke3d.vcg");
         p.dir.Write("defaults/duke3d.vcg", p.dir.Read("games/duke3d.vcg"));
         p.dir.Write("games.ini",
                     Crlf("[Game1]\nGameTitle=Duke Nukem 3D\nGameVcg=duke3d.vcg\nNewGame=0\n"));
       },
       "Duke Nukem 3D", kIdsDos, false, BST_UNCHECKED},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ChooserFixture f;
    row.setup(f.product);
    f.Run([&](OpenDialog& d) {
      EXPECT_EQ(d.Title(), "Customizer Utility V4.71");
      EXPECT_EQ(d.IconId(true), kIdiCustomizer);
      EXPECT_EQ(d.Text(kIdcDisplayName), row.name);
      EXPECT_EQ(d.Text(kIdcGameType), S(row.typeText));
      EXPECT_EQ(d.Text(kIdcStatus), S(kIdsModifyOrLoad));
      EXPECT_EQ(d.Enabled(kIdcApply), row.apply);
      EXPECT_TRUE(d.Enabled(kIdcSave));
      EXPECT_EQ(ShowState(d), row.show);
      EXPECT_EQ(d.Text(IDOK), "Exit");
      EXPECT_EQ(d.Text(kIdcDescription), S(kIdsDescription));
    });
    EXPECT_TRUE(f.Boxes().empty());
  }
}

TEST(ChooserStart, WithoutAConfigurationOnlySelectGameIsOffered) {
  ChooserFixture f;
  SetCurrent("gone.vcg");
  f.Run([&](OpenDialog& d) {
    EXPECT_EQ(d.Text(kIdcDisplayName), "<none>");
    EXPECT_EQ(d.Text(kIdcStatus), S(kIdsClickOnLoad));
    for (int id : custtest::kEditingControls) EXPECT_FALSE(d.Enabled(id)) << id;
    EXPECT_TRUE(d.Enabled(kIdcSelectGame));
    // Save does nothing without a configuration; Apply fails in silence.
    EXPECT_TRUE(d.ChooseMenu(kIdmFileSave));
    EXPECT_TRUE(d.ChooseMenu(kIdmFileApply));
    EXPECT_EQ(d.Text(kIdcDisplayName), "<none>");
  });
  EXPECT_TRUE(f.Boxes().empty());
  EXPECT_EQ(f.LiveFile(), "");
}

// Each level keeps its own master sensitivity, and a level change keeps the
// orientation.
TEST(ChooserLevels, EachLevelKeepsItsOwnMasterSensitivity) {
  ChooserFixture f;  // Generic: Basic 80, Full Freedom 100
  f.Run([&](OpenDialog& d) {
    EXPECT_EQ(d.Check(kIdcBasic), BST_CHECKED);
    EXPECT_EQ(d.SliderPos(kIdcSlider), 80);
    d.MoveSlider(kIdcSlider, 150);
    d.Click(kIdcFullFreedom);
    EXPECT_EQ(d.Text(kIdcStatus), S(kIdsLevelFullFreedom));
    EXPECT_EQ(d.SliderPos(kIdcSlider), 100);
    d.MoveSlider(kIdcSlider, 60);
    d.Click(kIdcBasic);
    EXPECT_EQ(d.SliderPos(kIdcSlider), 150);
    d.Click(kIdcFullFreedom);
    EXPECT_EQ(d.SliderPos(kIdcSlider), 60);
    EXPECT_EQ(d.Check(kIdcHorizontal), BST_CHECKED);

    d.Click(kIdcVertical);
    EXPECT_EQ(d.Text(kIdcStatus), S(kIdsOrientationVertical));
    d.Click(kIdcBasic);
    EXPECT_EQ(d.Check(kIdcVertical), BST_CHECKED);
    EXPECT_EQ(d.Check(kIdcHorizontal), BST_UNCHECKED);
    // Default moves only the slider, to the level's default (Basic: 80).
    d.Click(kIdcDefault);
    EXPECT_EQ(d.SliderPos(kIdcSlider), 80);
    EXPECT_EQ(d.Text(kIdcStatus), S(kIdsSettingDefault));
    EXPECT_EQ(f.dlg->Settings().CurrentSens(0)[0], 150);
  });
  EXPECT_EQ(f.dlg->Settings().orientation, 1);
}

// Each row: what the user changes, how the save offer is answered, then
// whether the dialog closed and what the file holds.
TEST(ChooserExit, OffersToSaveOnlyWhatChanged) {
  struct Row {
    const char* what;
    std::function<void(OpenDialog&)> change;
    std::vector<int> answers;
    std::function<void(OpenDialog&)> leave;
    bool closed;
    const char* fileHas;  // a line the file holds afterwards
  };
  auto exitButton = [](OpenDialog& d) { d.Click(IDOK); };
  const std::vector<Row> rows = {
      {"no change closes at once", [](OpenDialog&) {}, {}, exitButton, true, "LEVEL = BEGINNER"},
      {"a change and Cancel stays open", [](OpenDialog& d) { d.Click(kIdcFullFreedom); },
       {IDCANCEL}, exitButton, false, "LEVEL = BEGINNER"},
      {"a change and No closes without saving", [](OpenDialog& d) { d.Click(kIdcFullFreedom); },
       {IDNO}, exitButton, true, "LEVEL = BEGINNER"},
      {"a change and Yes saves", [](OpenDialog& d) { d.Click(kIdcFullFreedom); }, {IDYES},
       exitButton, true, "LEVEL = INTERMEDIATE"},
      {"Escape is Exit", [](OpenDialog& d) { d.MoveSlider(kIdcSlider, 120); }, {IDYES},
       [](OpenDialog& d) { d.Close(); }, true, "0.60, 0.60, 0.70, 0.50, 0.50, 0.55, 1.20 }"},
      {"File > Exit", [](OpenDialog& d) { d.Click(kIdcVertical); }, {IDYES},
       [](OpenDialog& d) { d.ChooseMenu(kIdmFileExit); }, true, "ORIENTATION = VERTICAL"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ChooserFixture f;
    bool closed = false;
    f.Run([&](OpenDialog& d) {
      row.change(d);
      for (int a : row.answers) f.User().AnswerNextMessageBox(a);
      row.leave(d);
      closed = d.Ended();
    });
    EXPECT_EQ(closed, row.closed);
    EXPECT_EQ(f.Boxes().size(), row.answers.size() + (row.closed ? 0 : 1));
    if (!row.answers.empty()) {
      EXPECT_EQ(f.Boxes()[0], "Do you want to save changes to Generic?");
      EXPECT_EQ(f.User().MessageBoxes()[0].flags, unsigned(MB_YESNOCANCEL | MB_ICONQUESTION));
      EXPECT_EQ(f.User().MessageBoxes()[0].caption, "Customizer Utility V4.71");
    }
    EXPECT_NE(f.product.dir.Read("defaults/Generic.vcg").find(row.fileHas), std::string::npos);
  }
}

TEST(ChooserExit, AChampionFileCountsAsChanged) {
  ChooserFixture f;
  SetCurrent("champ.vcg");
  f.product.dir.Write("defaults/champ.vcg", custtest::Vcg("Champ", "EXPERT", "ADVANCED"));
  f.Run([&](OpenDialog& d) {
    EXPECT_EQ(d.Check(kIdcBasic), BST_CHECKED);
    EXPECT_EQ(d.Check(kIdcHorizontal), BST_CHECKED);
    f.User().AnswerNextMessageBox(IDYES);
    d.Click(IDOK);
    EXPECT_TRUE(d.Ended());
  });
  ASSERT_EQ(f.Boxes().size(), 1u);
  const std::string text = f.product.dir.Read("defaults/champ.vcg");
  EXPECT_NE(text.find("LEVEL = BEGINNER"), std::string::npos);
  EXPECT_NE(text.find("ORIENTATION = HORIZONTAL"), std::string::npos);
}

// Each row: a game list, what the user does, then NewGame of each section.
TEST(ChooserNewGame, SaveWritesTheInstructionsValue) {
  struct Row {
    const char* what;
    std::string gamesIni;
    std::function<void(ChooserFixture&, OpenDialog&)> act;
    std::vector<std::string> newGame;  // of Game1, Game2
  };
  const std::string duke = "[Game1]\nGameTitle=Duke Nukem 3D\nGameVcg=duke3d.vcg\n";
  const std::string quake = "[Game2]\nGameTitle=Quake\nGameVcg=quake.vcg\nNewGame=1\n";
  auto change = [](OpenDialog& d) { d.MoveSlider(kIdcSlider, 90); };
  const std::vector<Row> rows = {
      {"Save Settings keeps a missing value as 2", duke + quake,
       [](ChooserFixture&, OpenDialog& d) { d.Click(kIdcSave); }, {"2", "1"}},
      {"Yes in the save offer writes the unchecked box", duke + quake,
       [&](ChooserFixture& f, OpenDialog& d) {
         change(d);
         f.User().AnswerNextMessageBox(IDYES);
         d.Click(IDOK);
       },
       {"0", "1"}},
      {"a checked box cleared by the user", quake + "[Game1]\nGameTitle=Duke Nukem 3D\nGameVcg=duke3d.vcg\nNewGame=1\n",
       [](ChooserFixture&, OpenDialog& d) {
         EXPECT_EQ(d.Check(kIdcShowInstructions), BST_CHECKED);
         d.Click(kIdcShowInstructions);
         d.Click(kIdcSave);
       },
       {"0", "1"}},
      {"a DOS game chosen from its list keeps its NewGame", duke + quake,
       [](ChooserFixture& f, OpenDialog& d) {
         SelectGame(f, d, kIdcDosGames, "Quake");
         EXPECT_EQ(ShowState(d), kDisabled);
         d.MoveSlider(kIdcSlider, 90);
         d.Click(kIdcSave);
       },
       {"", "1"}},
      {"a configuration of no game writes nothing", "[Game1]\nGameTitle=Other\nGameVcg=other.vcg\n",
       [](ChooserFixture&, OpenDialog& d) { d.Click(kIdcSave); }, {"", ""}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ChooserFixture f;
    SetCurrent("duke3d.vcg");
    f.product.dir.Write("defaults/duke3d.vcg", f.product.dir.Read("games/duke3d.vcg"));
    f.product.dir.Write("games.ini", Crlf(row.gamesIni));
    f.Run([&](OpenDialog& d) { row.act(f, d); });
    for (int n = 1; n <= 2; ++n) {
      EXPECT_EQ(platform::GetPrivateProfileString("Game" + std::to_string(n), "NewGame", "", 80,
                                                  "Games.ini"),
                row.newGame[n - 1])
          << n;
    }
  }
}

// Each row: Games.ini and the row chosen, then what the main dialog shows.
TEST(ChooserWinGames, TheListAndWhatItOpens) {
  const std::string ini =
      "[Game1]\nGameTitle=Hidden\nGameVcg=hidden.vcg\nShow=0\nNewGame=1\n"
      "[Game2]\nGameTitle=Cards\nGameVcg=cards.vcg\nNewGame=1\n"
      "[Game3]\nGameTitle=Chicken\nGameVcg=CHICKEN.VCG\n"
      "[Game4]\nGameTitle=Mine\nGameVcg=games\\descent.vcg\nNewGame=0\n"
      "[Game5]\nGameTitle=Empty\n"
      "[Game6]\nGameTitle=Missing\nGameVcg=missing.vcg\n"
      "[Game7]\nGameTitle=Old One\nGameVcg=old.vcg\n";
  struct Row {
    std::string choose;
    std::string path;  // "" when nothing is loaded
    std::string name;
    int show;
    std::vector<std::string> boxes;
  };
  const std::vector<Row> rows = {
      {"Joystick Emulation (2-axis)", "defaults\\Joy2d.vcg", "Joystick Emulation (2-axis)",
       kDisabled, {}},
      {"Cards", "defaults\\cards.vcg", "Cards", BST_CHECKED, {}},
      {"Mine", "games\\descent.vcg", "Mine", BST_UNCHECKED, {}},
      {"Empty", "", "Generic", kDisabled, {}},
      {"Missing", "", "Generic", kDisabled, {"Error loading Missing configuration."}},
      {"Old One", "", "Generic", kDisabled, {"Incorrect version for Old One configuration."}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.choose);
    ChooserFixture f;
    f.product.dir.Write("games.ini", Crlf(ini));
    f.product.dir.Write("defaults/cards.vcg", custtest::Vcg("Card Table", "BEGINNER", "HORIZONTAL"));
    f.product.dir.Write("defaults/old.vcg", QuakeWith(f.product, "VERSION = 4.2", "VERSION = 3.0"));
    std::vector<std::string> items;
    f.Run([&](OpenDialog& d) {
      f.User().OnDialog(kIddGameType, [](OpenDialog& t) {
        EXPECT_FALSE(t.Enabled(kIdcCustomConfig));
        EXPECT_EQ(t.Text(kIdcCustomConfig), "Custom Configuration");
        t.Click(kIdcWin95Games);
      });
      f.User().OnDialog(kIddWinGameList, [&](OpenDialog& l) {
        items = l.Items(kIdcGameList);
        EXPECT_EQ(l.Selection(kIdcGameList), 0);
        l.SelectRowText(kIdcGameList, row.choose);
        l.DoubleClickRow(kIdcGameList, l.Selection(kIdcGameList));
      });
      d.Click(kIdcSelectGame);
      EXPECT_EQ(d.Text(kIdcDisplayName), row.name);
      EXPECT_EQ(ShowState(d), row.show);
    });
    EXPECT_EQ(items, (std::vector<std::string>{"Generic", "Joystick Emulation (2-axis)",
                                               "Joystick Emulation (with Rudder)", "Cards", "Mine",
                                               "Empty", "Missing", "Old One"}));
    EXPECT_EQ(f.dlg->CurrentPath(), row.path.empty() ? "Defaults\\Generic.vcg" : row.path);
    EXPECT_EQ(f.Boxes(), row.boxes);
  }
}

TEST(ChooserDosGames, TheListAndWhatItOpens) {
  struct Row {
    const char* what;
    std::string setupCfg;  // "-" for no file
    std::function<void(OpenDialog&)> pick;
    std::vector<std::string> items;
    std::string path;  // in the games folder
    std::vector<std::string> boxes;
  };
  const std::string odd =
      "[Zork]\nGAMECFG = zork.vcg  \n[Setup]\nGAMECFG=setup.vcg\n[Notes]\nX=1\n"
      "[Duke_Nukem_3D]\ngamecfg=duke3d.vcg\n";
  auto pickDuke = [](OpenDialog& l) { l.DoubleClickRow(kIdcGameList, 0); };
  const std::vector<Row> rows = {
      {"sections in odd order, sorted by name", odd, pickDuke, {"Duke Nukem 3D", "Zork"},
       "duke3d.vcg", {}},
      {"OK without a row asks for one",
       odd,
       [](OpenDialog& l) {
         l.Click(IDOK);
         EXPECT_FALSE(l.Ended());
         l.SelectRow(kIdcGameList, 0);
         l.Click(IDOK);
       },
       {"Duke Nukem 3D", "Zork"}, "duke3d.vcg", {"You must choose a game first."}},
      {"no setup.cfg", "-", nullptr, {}, "",
       {"The list of DOS games cannot be generated because the Motiva file \"setup.cfg\" is "
        "missing."}},
      {"no game in setup.cfg", "[Setup]\nGAMECFG=a.vcg\n[Other]\nPATH=x\n", nullptr, {}, "",
       {"No games found."}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ChooserFixture f;
    if (row.setupCfg == "-") {
      std::filesystem::remove(f.product.dir.Host("support/setup.cfg"));
    } else {
      f.product.dir.Write("support/setup.cfg", Crlf(row.setupCfg));
    }
    std::vector<std::string> items;
    f.Run([&](OpenDialog& d) {
      f.User().OnDialog(kIddGameType, [](OpenDialog& t) { t.Click(kIdcDosGames); });
      if (row.pick) {
        f.User().OnDialog(kIddDosGameList, [&](OpenDialog& l) {
          EXPECT_EQ(l.Title(), "Customizer Utility V4.71");
          EXPECT_EQ(l.Text(kIdcDosPrompt), S(kIdsChooseDosGame));
          items = l.Items(kIdcGameList);
          row.pick(l);
        });
      }
      d.Click(kIdcSelectGame);
      EXPECT_EQ(ShowState(d), kDisabled);
    });
    EXPECT_EQ(items, row.items);
    EXPECT_EQ(f.dlg->CurrentPath(),
              row.path.empty() ? "Defaults\\Generic.vcg" : GamesDirectory() + "\\" + row.path);
    EXPECT_EQ(f.Boxes(), row.boxes);
  }
}

// A load that fails leaves the open configuration as it was: a later save
// writes that file's own values, changes and all, and nothing else.
TEST(ChooserFailedLoad, KeepsThePreviousFileIntact) {
  ChooserFixture f;
  f.product.dir.Write("games.ini", Crlf("[Game1]\nGameTitle=Old One\nGameVcg=old.vcg\nNewGame=1\n"));
  f.product.dir.Write("defaults/old.vcg", QuakeWith(f.product, "VERSION = 4.2", "VERSION = 3.0"));
  const std::string before = f.product.dir.Read("defaults/Generic.vcg");
  f.Run([&](OpenDialog& d) {
    d.MoveSlider(kIdcSlider, 130);
    f.User().AnswerNextMessageBox(IDNO);  // do not save before choosing
    SelectGame(f, d, kIdcWin95Games, "Old One");
    EXPECT_EQ(d.Text(kIdcDisplayName), "Generic");
    EXPECT_EQ(ShowState(d), kDisabled);
    d.Click(kIdcSave);
  });
  EXPECT_EQ(f.Boxes(), (std::vector<std::string>{"Do you want to save changes to Generic?",
                                                 "Incorrect version for Old One configuration."}));
  std::string want = custtest::WithoutDate(before);
  const std::string line = "SENS_BEG_USER = { 0.60, 0.60, 0.70, 0.50, 0.50, 0.55, 0.80 }";
  want.replace(want.find(line), line.size(), "SENS_BEG_USER = { 0.60, 0.60, 0.70, 0.50, 0.50, 0.55, 1.30 }");
  EXPECT_EQ(custtest::WithoutDate(f.product.dir.Read("defaults/Generic.vcg")), want);
  // The failed game's NewGame was not touched either.
  EXPECT_EQ(ReadNewGame("Game1"), 1);
}

TEST(ChooserApply, MakesTheFileOnDiskLive) {
  ChooserFixture f;
  f.Run([&](OpenDialog& d) {
    // A DOS configuration: the button is off, the menu entry still applies.
    SelectGame(f, d, kIdcDosGames, "Descent");
    EXPECT_EQ(d.Text(kIdcGameType), "DOS");
    EXPECT_FALSE(d.Enabled(kIdcApply));
    EXPECT_TRUE(d.ChooseMenu(kIdmFileApply));
    EXPECT_NE(f.LiveFile().find("\\games\\descent.vcg"), std::string::npos) << f.LiveFile();
    // A declined change is not applied: the file on disk goes live.
    SelectGame(f, d, kIdcWin95Games, "Generic");
    d.Click(kIdcFullFreedom);
    f.User().AnswerNextMessageBox(IDNO);
    EXPECT_TRUE(d.Click(kIdcApply));
    EXPECT_NE(f.LiveFile().find("\\defaults\\Generic.vcg"), std::string::npos) << f.LiveFile();
    EXPECT_EQ(d.Text(kIdcStatus), S(kIdsUpdating));
  });
  EXPECT_NE(f.product.dir.Read("defaults/Generic.vcg").find("LEVEL = BEGINNER"), std::string::npos);
}

// A store that refuses (another program holds it locked, it is read-only,
// the disk is full) ends Apply, Joystick Settings and Modes within the short
// wait, each with one message naming the cause; a dialog whose OK was
// refused stays open with the user's choice, and nothing is half written.
TEST(ChooserStoreFailures, EachActionEndsSoonAndSaysWhy) {
  struct Fault {
    const char* what;
    platform::RegStatus status;  // kRegLockViolation: a real store held by another connection
    const char* cause;
  };
  const Fault faults[] = {
      {"locked", platform::kRegLockViolation, "another program holds the registry store locked"},
      {"read-only", platform::kRegWriteProtect, "the registry store is read-only"},
      {"disk full", platform::kRegDiskFull, "disk full"},
  };
  struct Action {
    const char* what;
    std::function<void(ChooserFixture&, OpenDialog&)> act;
    const char* lead;
  };
  const Action actions[] = {
      {"Apply", [](ChooserFixture&, OpenDialog& d) { d.Click(kIdcApply); },
       "The configuration could not be made live: "},
      {"Joystick Settings",
       [](ChooserFixture& f, OpenDialog& d) {
         f.User().OnDialog(kIddJoystickSettings, [](OpenDialog& j) {
           j.Type(kIdcAxisMap, "xyzruv");
           j.Click(IDOK);
           EXPECT_FALSE(j.Ended());
           EXPECT_EQ(j.Text(kIdcAxisMap), "xyzruv");
           j.Click(IDCANCEL);
         });
         d.ChooseMenu(kIdmOptionsJoystick);
       },
       "The joystick settings could not be stored: "},
      {"Modes",
       [](ChooserFixture& f, OpenDialog& d) {
         f.User().OnDialog(kIddModes, [](OpenDialog& m) {
           m.Click(kIdcModesBasic);
           m.Click(kIdcModesVertical);
           m.Click(IDOK);
           EXPECT_FALSE(m.Ended());
           EXPECT_EQ(m.Check(kIdcModesVertical), BST_CHECKED);
           m.Click(IDCANCEL);
         });
         d.ChooseMenu(kIdmOptionsModes);
       },
       "The modes could not be stored: "},
  };
  for (const Fault& fault : faults) {
    for (const Action& action : actions) {
      SCOPED_TRACE(std::string(fault.what) + " / " + action.what);
      ChooserFixture f;
      const std::string generic = f.product.dir.Read("defaults/Generic.vcg");
      std::unique_ptr<platform::Registry> locker;
      if (fault.status == platform::kRegLockViolation) {
        std::string error;
        // A real store in place of the fixture's, held by another connection.
        platform::SetSystemRegistry(platform::OpenSqliteRegistry(f.product.dir.Host("registry.db"), &error,
                                                                 nullptr, platform::kRegShortWaitMs));
        f.world.Install();
        f.world.SetText(joytest::kPrivateKey, "DosInstallDirectory", "C:\\TANDRIX");  // as installed
        locker = platform::OpenSqliteRegistry(f.product.dir.Host("registry.db"), &error);
        ASSERT_EQ(locker->BeginTransaction(), platform::kRegOk);
      } else {
        auto failing = std::make_unique<joytest::FailingRegistry>(platform::SetSystemRegistry(nullptr));
        failing->writesBeforeFailure = 0;
        failing->failure = fault.status;
        platform::SetSystemRegistry(std::move(failing));
      }
      std::chrono::steady_clock::duration took{};
      f.Run([&](OpenDialog& d) {
        SelectGame(f, d, kIdcWin95Games, "Generic");
        const auto start = std::chrono::steady_clock::now();
        action.act(f, d);
        took = std::chrono::steady_clock::now() - start;
      });
      // One wait for the store at most, not one per value.
      EXPECT_LT(took, std::chrono::milliseconds(platform::kRegShortWaitMs + 1500));
      const auto& boxes = f.User().MessageBoxes();
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text.rfind(std::string(action.lead) + fault.cause, 0), 0u) << boxes[0].text;
      EXPECT_EQ(boxes[0].caption, AppTitle());
      EXPECT_EQ(boxes[0].flags & MB_ICONMASK, static_cast<unsigned>(MB_ICONSTOP));
      locker.reset();
      EXPECT_EQ(f.LiveFile(), "");
      EXPECT_EQ(f.world.Get(joytest::kDeviceKey, "Joystick1OEMConfiguration"), joytest::Oem("COM1", "XYZRUV"));
      EXPECT_FALSE(f.world.Has(joytest::kPrivateKey, "TandrixLevel"));
      EXPECT_EQ(f.product.dir.Read("defaults/Generic.vcg"), generic);
    }
  }
}

// Each row: after a slider move, the action whose save offer is answered
// Yes. The moved value is what is saved (and, for Apply, made live), and
// nothing is offered again on the way out.
TEST(ChooserApply, TheSliderIsReadBeforeTheSaveOffer) {
  struct Row {
    const char* what;
    std::function<void(OpenDialog&)> act;
  } rows[] = {
      {"Apply Settings", [](OpenDialog& d) { d.Click(kIdcApply); }},
      {"Select Game", [](OpenDialog& d) { d.Click(kIdcSelectGame); }},
      {"Exit", [](OpenDialog& d) { d.Click(IDOK); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ChooserFixture f;
    f.User().OnDialog(kIddGameType, [](OpenDialog& t) { t.Click(IDCANCEL); });
    f.Run([&](OpenDialog& d) {
      d.MoveSlider(kIdcSlider, 130);
      f.User().AnswerNextMessageBox(IDYES);
      row.act(d);
      if (!d.Ended()) d.Click(IDOK);
      EXPECT_TRUE(d.Ended());
    });
    EXPECT_EQ(f.Boxes().size(), 1u);
    EXPECT_NE(f.product.dir.Read("defaults/Generic.vcg").find("0.55, 1.30 }"), std::string::npos);
  }
  // What Apply made live: the master sensitivity, 16.16, last of seven.
  ChooserFixture f;
  f.Run([&](OpenDialog& d) {
    d.MoveSlider(kIdcSlider, 130);
    f.User().AnswerNextMessageBox(IDYES);
    d.Click(kIdcApply);
  });
  const joytest::Bytes live = f.world.Get(joytest::kDeviceKey, "Joystick1Sensitivity");
  ASSERT_EQ(live.size(), 28u);
  EXPECT_EQ(live[24] | live[25] << 8 | live[26] << 16 | live[27] << 24, 85196);
}

TEST(ChooserOtherDialogs, ChampionBoxWindowsButtonsNoteAndHelp) {
  ChooserFixture f;
  // Help opens the readable companion of the help file beside the program.
  f.product.dir.Write("viewer.sh", "#!/bin/sh\necho \"$1\" > \"$0.out\"\n");
  std::filesystem::permissions(f.product.dir.Host("viewer.sh"), std::filesystem::perms::owner_all);
  const std::string viewer = f.product.dir.Host("viewer.sh");
  testsupport::ScopedEnv helpViewer("TANDRIX_HELP_VIEWER", viewer.c_str());
  SetProgramDirectory(f.product.dir.Dos());
  std::string champion;
  f.Run([&](OpenDialog& d) {
    EXPECT_TRUE(d.ChooseMenu(kIdmHelpContents));
    f.User().OnDialog(kIddChampionInfo, [&](OpenDialog& c) {
      champion = c.Title();
      c.Click(IDOK);
    });
    d.Click(kIdcChampion);
    EXPECT_EQ(d.Text(kIdcStatus), S(kIdsChampionStatus));
    // Generic is a Windows 95 configuration: its buttons are the game's.
    std::string note;
    f.User().OnDialog(kIddWin95ButtonsNote, [&](OpenDialog& n) { note = n.Text(kIdcNoteText); });
    d.Click(kIdcButtonFunctions);
    EXPECT_EQ(note, S(kIdsWin95Buttons));
    EXPECT_EQ(d.Text(kIdcStatus), S(kIdsChooseFunctions));
  });
  EXPECT_EQ(champion, "Customizer Utility V4.71");
  SetProgramDirectory(".");
  for (int i = 0; i < 200 && !f.product.dir.Exists("viewer.sh.out"); ++i) ::usleep(10000);
  EXPECT_EQ(f.product.dir.Read("viewer.sh.out"), f.product.dir.Host("tndrx47.txt") + "\n");
}


// Each dialog's header: the customizer's own are centred on the desktop,
// those of the Options menu are placed by their owner.
TEST(ChooserTemplates, HeadersKeepTheirIdCaptionSizeFontAndPlacement) {
  testsupport::ExpectDialogHeaders({
      {CustomizerTemplate, kIddCustomizer, "Customizer", 292, 232, true},
      {ChampionInfoTemplate, kIddChampionInfo, "Champion", 230, 130, true},
      {GameTypeTemplate, kIddGameType, "", 160, 96, true},
      {WinGameListTemplate, kIddWinGameList, "Customizer Utility v4.71", 200, 160, true},
      {DosGameListTemplate, kIddDosGameList, "", 200, 160, true},
      {Win95ButtonsNoteTemplate, kIddWin95ButtonsNote, "", 220, 84, true},
      {ButtonFunctionsTemplate, kIddButtonFunctions, "Button Functions", 220, 194, false},
      {DefaultJoystickTemplate, kIddDefaultJoystick, "Default Joystick Settings", 200, 96, false},
      {ModesTemplate, kIddModes, "Mode Settings for All Games", 230, 134, false},
      {JoystickSettingsTemplate, kIddJoystickSettings, "Joystick Settings", 200, 96, false},
  });
}

}  // namespace
