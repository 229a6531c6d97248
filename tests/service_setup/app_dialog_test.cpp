// svcsetup's main dialog on the headless host: the radio rules per service,
// OK and Browse before a game is chosen, the paths from Services, every
// message of OK, and a setup followed by its restore.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/dialog_headers.h"
#include "app_fixture.h"
#include "platform/file.h"
#include "platform/profile.h"
#include "service_setup/app/resources.h"
#include "service_setup/game_setup.h"
#include "service_setup/service_games.h"
#include "ui/file_dialog.h"

namespace {

using svctest::Lines;
using svctest::SvcsetupTest;

TEST_F(SvcsetupTest, EachServiceOffersItsGamesAndOkWaitsForAChoice) {
  struct Case {
    const char* commandLine;
    const char* service;
    bool duke, quake, descent;
  } cases[] = {
      {"1 ten.exe", "TEN", true, true, false},
      {"1 ewrap.exe", "ENGAGE", false, false, true},
      {"1 other.exe", "", true, true, true},
      {"1 C:\\ten0\\ten.exe", "TEN", true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commandLine);
    bool shown = false;
    User().OnDialog(kIddServiceSetup, [&](ui::OpenDialog& d) {
      shown = true;
      EXPECT_EQ(d.Title(), "Game Service Setup");
      EXPECT_TRUE(d.Centered());
      EXPECT_EQ(d.Text(kIdcServiceName), c.service);
      EXPECT_EQ(d.Enabled(kIdcDuke), c.duke);
      EXPECT_EQ(d.Enabled(kIdcQuake), c.quake);
      EXPECT_EQ(d.Enabled(kIdcDescent), c.descent);
      EXPECT_EQ(d.Check(kIdcDuke) + d.Check(kIdcQuake) + d.Check(kIdcDescent), 0);
      EXPECT_EQ(d.Text(kIdcGamePath), "");
      EXPECT_EQ(d.ImageId(kIdcPicture), kIdbDevice);
      EXPECT_EQ(d.Text(kIdcSteps).substr(0, 57),
                "You now have to set up the game to use with the service: ");
      EXPECT_FALSE(d.Enabled(IDOK));
      EXPECT_FALSE(d.Click(IDOK));
      // A disabled game cannot be chosen.
      if (!c.descent) {
        EXPECT_FALSE(d.Click(kIdcDescent));
      }
      const int game = c.duke ? kIdcQuake : kIdcDescent;
      EXPECT_TRUE(d.Click(game));
      EXPECT_TRUE(d.Enabled(IDOK));
      EXPECT_TRUE(d.Click(IDCANCEL));
    });
    EXPECT_EQ(Run(c.commandLine), 0);
    EXPECT_TRUE(shown);
  }
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Ini(), "");
  EXPECT_FALSE(games.Exists("duke/realgame.exe"));
}

TEST_F(SvcsetupTest, ChoosingAGameShowsItsPathFromServicesOrItsDefault) {
  product.Write("Tandmon.ini", "[Services]\r\nDuke=D:\\3d\\duke3d.exe\r\n");
  struct Step {
    int radio;
    const char* path;
  } steps[] = {
      {kIdcQuake, "C:\\quake\\quaketen.exe"},
      {kIdcDuke, "D:\\3d\\duke3d.exe"},
      {kIdcQuake, "C:\\quake\\quaketen.exe"},
  };
  User().OnDialog(kIddServiceSetup, [&](ui::OpenDialog& d) {
    for (const auto& s : steps) {
      SCOPED_TRACE(s.path);
      d.Type(kIdcGamePath, "typed over");
      EXPECT_TRUE(d.Click(s.radio));
      EXPECT_EQ(d.Check(s.radio), BST_CHECKED);
      EXPECT_EQ(d.Text(kIdcGamePath), s.path);
    }
    d.Close();
  });
  EXPECT_EQ(Run("1 ten.exe"), 0);
}

TEST_F(SvcsetupTest, BrowseBeforeAChoiceSaysSoAndOpensNothing) {
  User().OnDialog(kIddServiceSetup, [&](ui::OpenDialog& d) {
    EXPECT_TRUE(d.Click(kIdcBrowse));
    EXPECT_FALSE(d.Ended());
    d.Close();
  });
  EXPECT_EQ(Run("1 ten.exe"), 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "A Game Must Be Selected To Choose A Directory.");
  EXPECT_EQ(Boxes()[0].caption, "ERROR");
  EXPECT_EQ(Boxes()[0].flags, unsigned{MB_OK | MB_ICONERROR});
  EXPECT_EQ(User().DialogsOpened(), std::vector<int>{kIddServiceSetup});
  EXPECT_TRUE(User().FileDialogs().empty());
}

TEST_F(SvcsetupTest, BrowseAfterAChoiceOffersTheGamesProgramAndTakesThePick) {
  product.Write("Tandmon.ini", "[Services]\r\nDuke=" + dukeDir + "\\old.exe\r\n");
  struct Case {
    const char* what;
    std::string answer;  // "" cancels
    std::string path;    // in the edit afterwards
  } cases[] = {
      {"a pick", dukeExe, dukeExe},
      {"cancelled", "", dukeDir + "\\old.exe"},
      {"a file that does not exist", dukeDir + "\\nothere.exe", dukeDir + "\\old.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    User().AnswerNextFileDialog(c.answer);
    User().OnDialog(kIddServiceSetup, [&](ui::OpenDialog& d) {
      EXPECT_TRUE(d.Click(kIdcDuke));
      EXPECT_TRUE(d.Click(kIdcBrowse));
      EXPECT_EQ(d.Text(kIdcGamePath), c.path);
      d.Close();
    });
    EXPECT_EQ(Run("1 ten.exe"), 0);
  }
  ASSERT_EQ(User().FileDialogs().size(), 3u);
  const ui::FileDialogRequest& r = User().FileDialogs()[0].request;
  EXPECT_TRUE(r.open);
  EXPECT_EQ(r.defaultExt, "exe");
  EXPECT_EQ(r.fileName, "duke3d.exe");
  EXPECT_EQ(r.initialDir, dukeDir);
  EXPECT_EQ(r.flags, unsigned{OFN_FILEMUSTEXIST | OFN_HIDEREADONLY});
  EXPECT_EQ(r.filters, (std::vector<ui::FileFilter>{{"Exe Files (*.exe)", "*.exe"},
                                                    {"All Files (*.*)", "*.*"}}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SvcsetupTest, OkSetsTheGameUpAndALaterRestoreBringsItBack) {
  User().OnDialog(kIddServiceSetup, [&](ui::OpenDialog& d) {
    EXPECT_TRUE(d.Click(kIdcDuke));
    EXPECT_TRUE(d.Type(kIdcGamePath, dukeExe));
    EXPECT_TRUE(d.Click(IDOK));
    EXPECT_TRUE(d.Ended());
  });
  EXPECT_EQ(Run("1 ten.exe"), 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Duke Has Been Configured Successfully For TEN.");
  EXPECT_EQ(Boxes()[0].caption, "INFORMATION");
  EXPECT_EQ(Boxes()[0].flags, unsigned{MB_OK});

  EXPECT_EQ(games.Read("duke/realgame.exe"), duke);
  EXPECT_EQ(games.Read("duke/duke3d.exe"), stub + duke.substr(stub.size()));
  EXPECT_EQ(games.Read("duke/specmva.bat"),
            "call " + work + "\\tdxload.bat\r\n\r\n" + work.substr(0, 2) + "\r\n\r\ncd " + work +
                "\\games\r\n\r\nmvaduke.exe -dir " + dukeDir +
                " -exe realgame.exe -noshow %1 %2 %3 %4 %5 %6 %7\r\n");
  EXPECT_EQ(Ini(), "[Services]\r\nLaunchers=3000:930cc1fc5695a76d\r\nDuke=" + dukeExe +
                       "\r\nCurrentGame=" + dukeExe + "\r\n");

  EXPECT_EQ(Run("0 ten.exe"), 0);
  EXPECT_EQ(games.Read("duke/duke3d.exe"), duke);
  EXPECT_EQ(User().DialogsOpened().size(), 1u);
  EXPECT_EQ(Log(), "");
}

TEST_F(SvcsetupTest, EveryFailureOfOkIsToldAndTheDialogStaysOpen) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string path;
    std::string text;
    std::string caption;
    unsigned flags;
  } cases[] = {
      {"no such executable", [] {}, games.Dos() + "\\duke\\dukee.exe",
       games.Dos() + "\\duke\\dukee.exe cannot be found, please choose a correct path.",
       "Tandrix Game Service Setup", MB_OK | MB_ICONEXCLAMATION},
      {"no stub", [&] { std::filesystem::remove(product.Host("support/specmva.exe")); }, dukeExe,
       "The game could not be set up.\nSpecMva.exe is missing from the Tandrix's directory.",
       "Tandrix Game Service Setup", MB_OK | MB_ICONEXCLAMATION},
      {"read-only game",
       [&] { std::filesystem::permissions(games.Host("duke/duke3d.exe"),
                                          std::filesystem::perms::owner_read); },
       dukeExe,
       "The game could not be set up.\nDuke3d.exe could not be opened.\n\n" + dukeExe +
           ": permission denied or read-only.",
       "Tandrix Game Service Setup", MB_OK | MB_ICONEXCLAMATION},
      {"disk full", [] { platform::testing::FailWritesAfter(25500); }, dukeExe,
       "An Error Occurred. While Making New File.\nUnable To Continue. Please Check The Entered "
       "Directory.\n\n" + dukeExe + ": disk full.",
       "ERROR", MB_OK | MB_ICONERROR},
      {"no batch file", [&] { games.Write("duke/specmva.bat/x", ""); }, dukeExe,
       "Unable To Create" + dukeDir + "\\specmva.bat\n\n" + dukeDir +
           "\\specmva.bat: not a regular file.",
       "ERROR", MB_OK | MB_ICONERROR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(games.Host("duke"));
    games.Write("duke/duke3d.exe", duke);
    product.Write("support/specmva.exe", stub);
    c.arrange();
    const std::size_t before = Boxes().size();
    User().OnDialog(kIddServiceSetup, [&](ui::OpenDialog& d) {
      d.Click(kIdcQuake);
      d.Type(kIdcGamePath, c.path);
      EXPECT_TRUE(d.Click(IDOK));
      EXPECT_FALSE(d.Ended());
      d.Close();
    });
    EXPECT_EQ(Run("1 ten.exe"), 0);
    platform::testing::FailWritesAfter(-1);
    ASSERT_EQ(Boxes().size(), before + 1);
    EXPECT_EQ(Boxes().back().text, c.text);
    EXPECT_EQ(Boxes().back().caption, c.caption);
    EXPECT_EQ(Boxes().back().flags, c.flags);
    EXPECT_EQ(games.Read("duke/duke3d.exe"), duke);
    EXPECT_FALSE(std::filesystem::is_regular_file(games.Host("duke/specmva.bat")));
    EXPECT_EQ(ReadCurrentGame(work), "");
  }
}

// Setups and restores in the orders a player meets them: whatever happens,
// the game's bytes stay where the restore finds them, and a failure's
// message says its cause.
TEST_F(SvcsetupTest, SetupAndRestoreNeverLoseTheGame) {
  const std::string victim = games.Host("victim");
  auto setUpFirst = [&] { ASSERT_EQ(SetUpGame({work, dukeExe, kGameDuke}).status, SetupStatus::kDone); };
  auto plant = [&](const char* name) {
    games.Write("victim", "not the game's");
    std::filesystem::create_symlink(victim, games.Host(std::string("duke/") + name));
  };
  struct Case {
    const char* what;
    std::function<void()> before;  // before OK
    std::string path;              // typed; empty: duke3d.exe
    std::string said;              // in OK's last message
    std::function<void()> after;   // between OK and the restore
    std::string file;              // looked at after the restore; empty: duke3d.exe
    std::string restored;          // what it holds then; empty: the game
  } cases[] = {
      {"set up twice", setUpFirst, "", "Configured Successfully", [] {}, "", ""},
      {"the launcher changed between two setups",
       [&] {
         setUpFirst();
         product.Write("support/specmva.exe", svctest::Binary("NEW", 2000));
       },
       "", "Configured Successfully", [] {}, "", ""},
      {"the launcher missing at the second setup",
       [&] {
         setUpFirst();
         std::filesystem::remove(product.Host("support/specmva.exe"));
       },
       "", "SpecMva.exe is missing", [] {}, "", ""},
      {"a game patched since the setup", [] {}, "", "Configured Successfully",
       [&] { games.Write("duke/duke3d.exe", "patched"); }, "duke/duke3d.exe", "patched"},
      {"CurrentGame naming an unrelated file", [] {}, "", "Configured Successfully",
       [&] {
         games.Write("duke/other.exe", "unrelated");
         platform::WritePrivateProfileString("Services", "CurrentGame", dukeDir + "\\other.exe",
                                             ServicesIniPath(work));
       },
       "duke/other.exe", "unrelated"},
      {"a read-only Tandmon.ini",
       [&] {
         product.Write("Tandmon.ini", "[Services]\r\n");
         std::filesystem::permissions(product.Host("Tandmon.ini"), std::filesystem::perms::owner_read);
       },
       "", "tandmon.ini could not be written: permission denied or read-only", [] {}, "", ""},
      {"a 300-character path", [] {}, dukeDir + "\\" + std::string(280, 'd') + ".exe",
       "is longer than 259 characters", [] {}, "", ""},
      {"a link planted at realgame.exe", [&] { plant("realgame.exe"); }, "",
       "Configured Successfully", [] {}, "victim", "not the game's"},
      {"a link planted at specmva.bat", [&] { plant("specmva.bat"); }, "",
       "Configured Successfully", [] {}, "victim", "not the game's"},
      {"a read-only realgame.exe from an earlier try",
       [&] {
         games.Write("duke/realgame.exe", "an older copy");
         std::filesystem::permissions(games.Host("duke/realgame.exe"), std::filesystem::perms::owner_read);
       },
       "", "Configured Successfully", [] {}, "", ""},
      {"a path typed in the host's form", [] {}, games.Host("duke/duke3d.exe"),
       "Configured Successfully", [] {}, "", ""},
      {"a file-size limit filling the disk",
       [] {
         ::signal(SIGXFSZ, SIG_IGN);
         const rlimit limit{20000, RLIM_INFINITY};
         ::setrlimit(RLIMIT_FSIZE, &limit);
       },
       "", "realgame.exe could not be written: over the file size limit",
       [] {
         const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
         ::setrlimit(RLIMIT_FSIZE, &none);
       },
       "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(games.Host("duke"));
    std::filesystem::remove(games.Host("victim"));
    std::filesystem::remove(product.Host("Tandmon.ini"));
    std::filesystem::remove(product.Host("tandmon.ini"));
    games.Write("duke/duke3d.exe", duke);
    product.Write("support/specmva.exe", stub);
    c.before();
    User().OnDialog(kIddServiceSetup, [&](ui::OpenDialog& d) {
      d.Click(kIdcDuke);
      d.Type(kIdcGamePath, c.path.empty() ? dukeExe : c.path);
      d.Click(IDOK);
      if (!d.Ended()) d.Close();
    });
    EXPECT_EQ(Run("1 ten.exe"), 0);
    c.after();
    ASSERT_FALSE(Boxes().empty());
    EXPECT_NE(Boxes().back().text.find(c.said), std::string::npos) << Boxes().back().text;
    Run("0 ten.exe");
    EXPECT_EQ(games.Read(c.file.empty() ? "duke/duke3d.exe" : c.file),
              c.restored.empty() ? duke : c.restored);
  }
}

TEST_F(SvcsetupTest, WithoutACommandLineItLogsAndTellsTheUser) {
  EXPECT_EQ(Run(""), 1);
  std::vector<std::string> lines = Lines(Log());
  ASSERT_EQ(lines.size(), 1u);
  const std::string head =
      "Win95: SVCSETUP - Unable To Find Any Command Line Arguments (ten.exe, ewrap.exe): ";
  EXPECT_EQ(lines[0].substr(0, head.size()), head);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text,
            "Your game could not be setup for a service. Please contact Veltrani technical "
            "support.");
  EXPECT_EQ(Boxes()[0].caption, "ERROR");
  EXPECT_EQ(Boxes()[0].flags, unsigned{MB_OK | MB_ICONERROR});
  EXPECT_TRUE(User().DialogsOpened().empty());
}

TEST_F(SvcsetupTest, RestoreShowsNothingAndNeedsSomethingToRestore) {
  struct Case {
    const char* commandLine;
    int code;
    std::size_t logLines;
  } cases[] = {
      {"0 ten.exe", 1, 1},            // nothing set up yet
      {"C:\\dir0\\ten.exe", 1, 2},    // a 0 anywhere: restore
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commandLine);
    EXPECT_EQ(Run(c.commandLine), c.code);
    EXPECT_EQ(Lines(Log()).size(), c.logLines);
  }
  EXPECT_TRUE(User().DialogsOpened().empty());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(games.Read("duke/duke3d.exe"), duke);
}

TEST_F(SvcsetupTest, TheSystemMenuOpensTheAboutBoxAndTheWindowShowsTheIcon) {
  bool about = false;
  User().OnDialog(kIddServiceSetup, [&](ui::OpenDialog& d) {
    EXPECT_EQ(d.IconId(true), kIdrMainFrame);
    EXPECT_EQ(d.IconId(false), kIdrMainFrame);
    EXPECT_TRUE(d.ChooseSystemMenu(kIdmAboutBox));
    EXPECT_FALSE(d.Ended());
    d.Close();
  });
  User().OnDialog(kIddAboutBox, [&](ui::OpenDialog& d) {
    about = true;
    EXPECT_EQ(d.Title(), "About svcsetup");
    EXPECT_TRUE(d.Click(IDOK));
  });
  EXPECT_EQ(Run("1 ten.exe"), 0);
  EXPECT_TRUE(about);
  EXPECT_EQ(User().DialogsOpened(), (std::vector<int>{kIddServiceSetup, kIddAboutBox}));
}

TEST_F(SvcsetupTest, HelpOpensTheCompanionBesideTheProgram) {
  // The viewer records what it was asked to open.
  const std::string record = product.Host("viewed.txt");
  product.Write("viewer.sh", "#!/bin/sh\necho \"$1\" > " + record + "\n");
  std::filesystem::permissions(product.Host("viewer.sh"), std::filesystem::perms::owner_all);
  testsupport::ScopedEnv viewer("TANDRIX_HELP_VIEWER", product.Host("viewer.sh").c_str());
  User().OnDialog(kIddServiceSetup, [&](ui::OpenDialog& d) {
    EXPECT_TRUE(d.Click(kIdcHelp));
    d.Close();
  });
  EXPECT_EQ(Run("1 ten.exe"), 0);
  EXPECT_TRUE(Boxes().empty()) << Boxes()[0].text;
  for (int waited = 0; waited < 5000 && !product.Exists("viewed.txt"); waited += 20) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const std::string beside =
      std::filesystem::path(std::filesystem::read_symlink("/proc/self/exe")).parent_path() /
      "tndrx47.txt";
  EXPECT_EQ(product.Read("viewed.txt"), beside + "\n");

  // A program without help beside it (linked into the product folder from
  // a system folder) finds the companion in the product folder.
  std::filesystem::remove(product.Host("viewed.txt"));
  product.Write("tndrx47.txt", "help");
  User().OnDialog(kIddServiceSetup, [&](ui::OpenDialog& d) {
    EXPECT_TRUE(d.Click(kIdcHelp));
    d.Close();
  });
  EXPECT_EQ(RunServiceSetup(app, "1 ten.exe", true, "Z:\\usr\\bin\\svcsetup"), 0);
  EXPECT_TRUE(Boxes().empty());
  for (int waited = 0; waited < 5000 && !product.Exists("viewed.txt"); waited += 20) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(product.Read("viewed.txt"), product.Host("tndrx47.txt") + "\n");
}


// Each dialog's header; svcsetup's dialogs are centred on the desktop.
TEST(SvcsetupTemplates, HeadersKeepTheirIdCaptionSizeFontAndPlacement) {
  testsupport::ExpectDialogHeaders({
      {ServiceSetupTemplate, kIddServiceSetup, "Game Service Setup", 265, 209, true},
      {AboutBoxTemplate, kIddAboutBox, "About svcsetup", 217, 55, true},
  });
}

}  // namespace
