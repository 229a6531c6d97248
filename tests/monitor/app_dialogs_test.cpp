// The instructions dialog and the joystick prompt on the headless host,
// played by a scripted user or left without one.
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "support/dialog_headers.h"
#include "app_fixture.h"
#include "monitor/app/dialogs.h"
#include "monitor/app/resources.h"

namespace {

using apptest::TandmonTest;
using apptest::Vcg;

TEST_F(TandmonTest, InstructionsShowTheGamesLevelOrientationAndText) {
  struct Row {
    const char* level;
    const char* orientation;
    const char* levelText;
    int levelPicture;
    const char* orientationText;
    int orientationPicture;
  };
  const Row rows[] = {
      {"BEGINNER", "HORIZONTAL", "Basic", 137, "Horizontal", 136},
      {"intermediate", "Vertical", "Full Freedom", 134, "Vertical", 133},
      {"EXPERT", "ADVANCED", "Champion", 135, "Custom", 133},
      {"", "", "Champion", 135, "Custom", 133},  // no such tokens at all
  };
  ASSERT_TRUE(Start());
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.level) + "/" + row.orientation);
    std::string vcg = Vcg("Quake", row.level, row.orientation);
    if (row.level[0] == '\0') vcg = apptest::Crlf("VERSION = 4.0\nTYPE = DOS\n\n[HARRIER_1]\n");
    dir.Write("defaults/quake.vcg", vcg);
    bool played = false;
    app.User().OnDialog(kIddInstructions, [&](ui::OpenDialog& d) {
      played = true;
      EXPECT_EQ(d.Title(), "Tandrix - Quake");
      EXPECT_EQ(d.Text(kIdcLevelName), row.levelText);
      EXPECT_EQ(d.Text(kIdcOrientationName), row.orientationText);
      EXPECT_EQ(d.Pictures(), (std::vector<ui::DrawnPicture>{{row.levelPicture, 10, 40, false},
                                                             {row.orientationPicture, 215, 40, false}}));
      EXPECT_EQ(d.Text(kIdcInstructions), "Push the ball to run.\r\nTwist it to turn.\r\n");
      EXPECT_EQ(d.Check(kIdcShowCheck), BST_CHECKED);
      EXPECT_FALSE(d.Centered());
      EXPECT_GE(d.FocusCount(), 1);
      EXPECT_TRUE(d.Click(IDOK));
    });
    EXPECT_EQ(mon->Host().ShowInstructions(State(), 0), 2);
    EXPECT_TRUE(played);
  }
}

TEST_F(TandmonTest, InstructionsWithoutInstLinesAndTheCheckBoxState) {
  struct Row {
    int position;
    int check;  // from NewGame: 0, or missing (the third state)
  };
  ASSERT_TRUE(Start());
  for (const Row& row : {Row{1, BST_UNCHECKED}, Row{2, BST_INDETERMINATE}}) {
    SCOPED_TRACE(row.position);
    if (row.position == 2) dir.Write("defaults/puzzle.vcg", Vcg("Puzzle", "BEGINNER", "VERTICAL"));
    app.User().OnDialog(kIddInstructions, [&](ui::OpenDialog& d) {
      EXPECT_EQ(d.Text(kIdcInstructions), "There are no special instructions for this game.");
      EXPECT_EQ(d.Check(kIdcShowCheck), row.check);
      d.Close();
    });
    EXPECT_EQ(mon->Host().ShowInstructions(State(), row.position), 2);
  }
}

TEST_F(TandmonTest, InstructionsCheckBoxWritesNewGameAtOnce) {
  ASSERT_TRUE(Start());
  std::vector<std::string> written;
  app.User().OnDialog(kIddInstructions, [&](ui::OpenDialog& d) {
    // Three states, round and round; each click is in games.ini at once.
    for (int i = 0; i < 3; ++i) {
      EXPECT_TRUE(d.Click(kIdcShowCheck));
      written.push_back(Ini("games.ini", "Game1", "NewGame"));
      EXPECT_EQ(State().games.entries[0]->newGame, d.Check(kIdcShowCheck));
    }
    EXPECT_FALSE(d.Ended());
    EXPECT_TRUE(d.Click(kIdcShowCheck));  // left in the third state
    EXPECT_TRUE(d.Click(IDOK));
  });
  EXPECT_EQ(mon->Host().ShowInstructions(State(), 0), 2);
  EXPECT_EQ(written, (std::vector<std::string>{"2", "0", "1"}));
  EXPECT_EQ(Ini("games.ini", "Game1", "NewGame"), "2");
  // Every other line of the file is kept.
  EXPECT_EQ(Ini("games.ini", "Game1", "Inst2"), "Twist it to turn.");

  // With NewGame cleared, the next start of the game shows nothing.
  app.User().OnDialog(kIddInstructions, [&](ui::OpenDialog& d) {
    EXPECT_EQ(d.Check(kIdcShowCheck), BST_INDETERMINATE);
    d.Click(kIdcShowCheck);
    EXPECT_EQ(d.Check(kIdcShowCheck), BST_UNCHECKED);
    d.Click(IDOK);
  });
  mon->Host().ShowInstructions(State(), 0);
  ASSERT_EQ(Ini("games.ini", "Game1", "NewGame"), "0");
  const int shown = DialogsOpened(kIddInstructions);
  procs.lister.paths = {quakeExe};
  app.Advance(3000);
  EXPECT_TRUE(LiveIs("defaults\\quake.vcg"));
  EXPECT_EQ(DialogsOpened(kIddInstructions), shown);
}

TEST_F(TandmonTest, InstructionsCloseAtOnceWithoutTheConfiguration) {
  ASSERT_TRUE(Start());
  ::unlink(dir.Host("defaults/quake.vcg").c_str());
  app.User().OnDialog(kIddInstructions, [&](ui::OpenDialog&) { ADD_FAILURE() << "shown"; });
  EXPECT_EQ(mon->Host().ShowInstructions(State(), 0), 2);
  const auto& record = app.Headless().Dialogs().back();
  EXPECT_EQ(record.title, "Tandrix - Quake");
  EXPECT_FALSE(record.unattended);
  EXPECT_TRUE(record.pictures.empty());
  EXPECT_TRUE(LogLines().empty());  // no message for it
}

TEST_F(TandmonTest, InstructionsForAPositionOutsideTheListKeepTheTemplatesTexts) {
  ASSERT_TRUE(Start());
  for (int position : {-1, 3, 100}) {
    app.User().OnDialog(kIddInstructions, [&](ui::OpenDialog& d) {
      EXPECT_EQ(d.Title(), "Tandrix");
      EXPECT_EQ(d.Text(kIdcInstructions), "");
      EXPECT_EQ(d.Text(kIdcLevelName), "");
      EXPECT_TRUE(d.Pictures().empty());
      d.Click(kIdcShowCheck);  // no game to write to
      d.Click(IDOK);
    });
    EXPECT_EQ(mon->Host().ShowInstructions(State(), position), 2);
  }
  EXPECT_EQ(Ini("games.ini", "Game4", "NewGame"), "");
}

TEST(GameInstructions, LinesUpToTheFirstEmptyOneEachWithCrLf) {
  testsupport::TempDir dir;
  testsupport::ScopedCwd cwd(dir.path());
  const std::string longLine(600, 'x');
  dir.Write("games.ini", apptest::Crlf("[Game1]\nInst1=one\nInst2=two\nInst4=four\n"
                                       "[Game2]\nInst2=two\n[Game3]\nInst1=" + longLine + "\n"));
  EXPECT_EQ(ReadGameInstructions(0), "one\r\ntwo\r\n");
  EXPECT_EQ(ReadGameInstructions(1), "");
  EXPECT_EQ(ReadGameInstructions(2), std::string(499, 'x') + "\r\n");
  EXPECT_EQ(ReadGameInstructions(7), "");
}

// A help viewer that notes which file it was given.
std::string WriteViewer(const testsupport::TempDir& dir) {
  const std::string path = dir.Host("viewer.sh");
  dir.Write("viewer.sh", "#!/bin/sh\necho \"$1\" > \"" + dir.Host("viewer.out") + "\"\n");
  ::chmod(path.c_str(), 0755);
  return path;
}

TEST_F(TandmonTest, JoystickPromptAtStartWritesShowJoystickAndOffersTheSettings) {
  struct Row {
    const char* what;
    std::vector<int> clicks;
    int showJoystick;
    bool settingsOffered;
  };
  const Row rows[] = {
      {"OK", {IDOK}, 1, true},
      {"cleared, Cancel", {kIdcShowCheck, IDCANCEL}, 0, false},
      {"cleared, OK", {kIdcShowCheck, IDOK}, 0, true},
      {"twice, close box", {kIdcShowCheck, kIdcShowCheck, 0}, 1, false},
  };
  const std::string viewer = WriteViewer(runtime);
  testsupport::ScopedEnv helpViewer("TANDRIX_HELP_VIEWER", viewer.c_str());
  dir.Write("nojoycp.txt", "How to make the Tandrix the joystick.\n");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    dir.Write("Tandmon.ini", apptest::Crlf("[Defaults]\nShowJoystick=1\nConfig=Joy3D.vcg\n"));
    ::unlink(dir.Host("error.log").c_str());
    ::unlink(runtime.Host("viewer.out").c_str());
    procs.starter.starts.clear();
    Bind(false);
    const int beeps = app.Headless().Beeps();
    std::vector<std::string> written;
    app.User().OnDialog(kIddJoystickPrompt, [&](ui::OpenDialog& d) {
      EXPECT_EQ(d.Title(), "Tandrix");
      EXPECT_TRUE(d.Centered());
      EXPECT_EQ(d.Check(kIdcShowCheck), BST_CHECKED);
      EXPECT_EQ(app.Headless().Beeps(), beeps + 1);
      for (int id : row.clicks) {
        if (id == 0) {
          EXPECT_TRUE(d.Close());
        } else {
          EXPECT_TRUE(d.Click(id));
        }
        if (id == kIdcShowCheck) written.push_back(Ini("Tandmon.ini", "Defaults", "ShowJoystick"));
      }
    });
    ASSERT_TRUE(Start());
    EXPECT_EQ(DialogsOpened(kIddJoystickPrompt), 1);
    app.User() = ui::headless::ScriptedUser();
    EXPECT_TRUE(State().promptShown);
    EXPECT_EQ(State().showJoystick, row.showJoystick);
    EXPECT_EQ(Ini("Tandmon.ini", "Defaults", "ShowJoystick"), std::to_string(row.showJoystick));
    if (row.clicks.front() == kIdcShowCheck) {
      EXPECT_EQ(written.front(), "0");
    }
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_EQ(LogLines()[0].rfind("Win95: Tandrix not selected as the Joystick: ", 0), 0u);
    // OK opens the readable help beside nojoycp.hlp and tries the system's
    // device settings; neither is waited for.
    bool rundll = !procs.starter.starts.empty() &&
                  procs.starter.starts.back().program.find("rundll32.exe") != std::string::npos;
    EXPECT_EQ(rundll, row.settingsOffered);
    if (row.settingsOffered) {
      const std::string out = runtime.Host("viewer.out");
      bool viewed = false;
      for (int i = 0; i < 500 && !viewed; ++i) {
        viewed = runtime.Exists("viewer.out") && runtime.Read("viewer.out").find("nojoycp.txt") != std::string::npos;
        if (!viewed) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      EXPECT_TRUE(viewed) << out;
    }
    // Not asked again until an activation succeeds.
    app.Advance(6000);
    EXPECT_EQ(DialogsOpened(kIddJoystickPrompt), 0);
    mon.reset();
  }
}

TEST_F(TandmonTest, WithoutAUserThePromptCountsAsCancelAndNeverBlocks) {
  Bind(false);
  ASSERT_TRUE(Start());
  ASSERT_EQ(DialogsOpened(kIddJoystickPrompt), 1);
  const auto& record = app.Headless().Dialogs().back();
  EXPECT_EQ(record.result, IDNO);
  EXPECT_TRUE(record.unattended);
  EXPECT_EQ(Ini("Tandmon.ini", "Defaults", "ShowJoystick"), "1");
  EXPECT_TRUE(procs.starter.starts.empty());

  // With ShowJoystick 0 there is no prompt, and the default is tried again
  // at every tick.
  platform::WritePrivateProfileString("Defaults", "ShowJoystick", "0", "Tandmon.ini");
  mon.reset();
  ASSERT_TRUE(Start());
  app.Advance(9000);
  EXPECT_EQ(DialogsOpened(kIddJoystickPrompt), 1);
  EXPECT_EQ(State().currentConfig, "");
  Bind(true);
  app.Advance(3000);
  EXPECT_TRUE(LiveIs("defaults\\Joy3D.vcg"));
}

TEST_F(TandmonTest, WithoutADisplayMessageBoxesGoToTheErrorLog) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(mon->Host().ShowMessage(40023, "Your Q95.BAT file had to be modified.\nRestart it.",
                                    "Tandrix", kMbIconStop | kMbSystemModal),
            IDOK);
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind("Win95: Your Q95.BAT file had to be modified. Restart it.: ", 0), 0u);
}


// Each dialog's header; the monitor's dialogs are placed by their owner.
TEST(TandmonTemplates, HeadersKeepTheirIdCaptionSizeFontAndPlacement) {
  testsupport::ExpectDialogHeaders({
      {InstructionsTemplate, kIddInstructions, "Tandrix", 221, 218, false},
      {JoystickPromptTemplate, kIddJoystickPrompt, "Tandrix", 211, 89, false},
      {AboutTemplate, kIddAbout, "About Tandrix Monitor", 205, 89, false},
  });
}

}  // namespace
