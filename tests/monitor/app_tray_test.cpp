// The tray icon and its menu: Suspend and Resume, Customize, About, Exit;
// closing by signal or by message; a desktop without a tray.
#include "app_fixture.h"
#include "ui/instance.h"

namespace {

using apptest::TandmonTest;

TEST_F(TandmonTest, SuspendAndResumeSwapTheIconTheItemTextAndTheTimer) {
  ASSERT_TRUE(Start());
  app.Advance(3000);
  ASSERT_EQ(TrayIcon(), 104);

  ChooseFromTrayMenu(kIdmSuspend);
  const auto& menu = app.FakeTrayHost().MenusShown().back();
  EXPECT_EQ(menu.texts,
            (std::vector<std::string>{"&About...", "&Customize...", "", "&Suspend", "E&xit"}));
  EXPECT_EQ(menu.ids, (std::vector<int>{40014, 40012, 0, 40007, 40009}));
  EXPECT_EQ(menu.flags, unsigned{TPM_RIGHTALIGN | TPM_RIGHTBUTTON});
  EXPECT_EQ(menu.at, app.FakeTrayHost().CursorPos());
  EXPECT_EQ(menu.chosen, kIdmSuspend);

  EXPECT_TRUE(State().suspended);
  EXPECT_EQ(TrayIcon(), 139);
  EXPECT_EQ(mon->TrayMenu()->ItemText(3), "&Resume");
  EXPECT_EQ(mon->TrayMenu()->ItemId(3), kIdmSuspend);
  EXPECT_EQ(app.Clock().ActiveTimers(), 0u);
  // Nothing is watched while suspended, and the live configuration stays.
  procs.lister.paths = {quakeExe};
  const int scans = procs.lister.calls;
  app.Advance(9000);
  EXPECT_EQ(procs.lister.calls, scans);
  EXPECT_TRUE(LiveIs("defaults\\Joy3D.vcg"));

  // Resume reads the game list again, but not the settings.
  dir.Write("games.ini", apptest::Crlf(std::string(apptest::kGamesIni) +
                                       "[Game4]\nGameTitle=Cards\nGameExe=cards.exe\nGameVcg=nosupport\n"));
  platform::WritePrivateProfileString("Defaults", "ShowJoystick", "0", "Tandmon.ini");
  ChooseFromTrayMenu(kIdmSuspend);
  EXPECT_FALSE(State().suspended);
  EXPECT_EQ(TrayIcon(), 104);
  EXPECT_EQ(mon->TrayMenu()->ItemText(3), "&Suspend");
  EXPECT_EQ(State().games.size(), 4u);
  EXPECT_EQ(State().showJoystick, 1);
  ASSERT_EQ(app.Clock().ActiveTimers(), 1u);
  EXPECT_EQ(app.Clock().IntervalOf(State().timerId), 3000u);
  app.Advance(3000);
  EXPECT_EQ(procs.lister.calls, scans + 1);
  EXPECT_TRUE(LiveIs("defaults\\quake.vcg"));

  // The tip names what is live and says when the monitor is suspended; a
  // notification comes with each change.
  EXPECT_EQ(app.FakeTrayHost().Log(),
            (std::vector<std::string>{
                "add 104 Tandrix: default (Joy3D.vcg)", "delete", "add 139 Tandrix: default (Joy3D.vcg), suspended",
                "delete", "add 104 Tandrix: default (Joy3D.vcg)",
                "modify 104 Tandrix: Quake (quake.vcg) [Tandrix: Quake: its configuration quake.vcg is live.]"}));

  // The game ends; then, with Notify=0, it comes and goes without a word.
  procs.lister.paths = {};
  app.Advance(3000);
  EXPECT_EQ(app.FakeTrayHost().Log().back(),
            "modify 104 Tandrix: default (Joy3D.vcg) [Tandrix: The default configuration Joy3D.vcg is live again.]");
  platform::WritePrivateProfileString("Defaults", "Notify", "0", "Tandmon.ini");
  procs.lister.paths = {quakeExe};
  app.Advance(3000);
  EXPECT_EQ(app.FakeTrayHost().Log().back(), "modify 104 Tandrix: Quake (quake.vcg)");
}

TEST_F(TandmonTest, SuspendBeforeTheFirstTickShowsOneIcon) {
  ASSERT_TRUE(Start());
  mon->Window().SendMessage(WM_COMMAND, kIdmSuspend);
  EXPECT_EQ(TrayIcon(), 139);
  mon->Window().SendMessage(WM_COMMAND, kIdmSuspend);
  app.Advance(6000);
  EXPECT_EQ(TrayIcon(), 104);
  EXPECT_EQ(app.FakeTrayHost().IconCount(), 1u);
  EXPECT_EQ(app.FakeTrayHost().Log(),
            (std::vector<std::string>{"add 139 Tandrix: default (Joy3D.vcg), suspended", "delete",
                                      "add 104 Tandrix: default (Joy3D.vcg)"}));
}

TEST_F(TandmonTest, AboutShowsOnceWhenChosenTwice) {
  ASSERT_TRUE(Start());
  app.Advance(3000);
  bool openWhileShown = false;
  app.User().OnDialog(kIddAbout, [&](ui::OpenDialog& d) {
    EXPECT_EQ(d.Title(), "About Tandrix Monitor");
    EXPECT_TRUE(d.Centered());
    std::vector<std::string> texts;
    int icon = 0;
    for (const auto& c : d.Model().Controls()) {
      if (c.kind() == ui::ControlKind::Static) texts.push_back(c.text);
      if (c.kind() == ui::ControlKind::Picture) icon = c.tmpl->imageId;
    }
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Tandrix Game Monitor v4.71.");
    EXPECT_EQ(icon, 104);
    EXPECT_EQ(d.Text(IDOK), "OK");
    openWhileShown = State().aboutOpen;
    // Chosen again while it shows: nothing more opens.
    ChooseFromTrayMenu(kIdmAbout);
    mon->Window().SendMessage(WM_COMMAND, kIdmAbout);
    EXPECT_TRUE(d.Click(IDOK));
  });
  ChooseFromTrayMenu(kIdmAbout);
  EXPECT_TRUE(openWhileShown);
  EXPECT_EQ(DialogsOpened(kIddAbout), 1);
  EXPECT_EQ(app.Headless().Dialogs().back().result, IDYES);
  EXPECT_FALSE(State().aboutOpen);

  // Once closed (here by its close box, for want of a user) it opens again.
  ChooseFromTrayMenu(kIdmAbout);
  EXPECT_EQ(DialogsOpened(kIddAbout), 2);
  EXPECT_EQ(app.Headless().Dialogs().back().result, IDYES);
  EXPECT_FALSE(State().aboutOpen);
}

TEST_F(TandmonTest, CustomizeStartsTheCustomizerInTheMonitorsFolder) {
  ASSERT_TRUE(Start());
  app.Advance(3000);
  ASSERT_TRUE(app.FakeTrayHost().DoubleClick(kTrayIconId));
  platform::WritePrivateProfileString("Defaults", "Customizer", "Chooser", "Tandmon.ini");
  LoadMonitorSettings(State());
  ChooseFromTrayMenu(kIdmCustomize);
  ASSERT_EQ(procs.starter.starts.size(), 2u);
  EXPECT_EQ(procs.starter.starts[0].program, "TandCfg.exe");
  EXPECT_EQ(procs.starter.starts[0].commandLine, "TandCfg.exe");
  EXPECT_EQ(procs.starter.starts[0].directory, ".");
  EXPECT_EQ(procs.starter.starts[1].program, "Chooser");
  EXPECT_EQ(procs.starter.starts[1].commandLine, "Chooser");

  // Other mouse events do nothing.
  app.FakeTrayHost().Mouse(kTrayIconId, WM_LBUTTONDOWN);
  app.FakeTrayHost().Mouse(kTrayIconId, WM_RBUTTONUP);
  EXPECT_EQ(procs.starter.starts.size(), 2u);
  EXPECT_EQ(app.FakeTrayHost().MenusShown().size(), 1u);
}

TEST_F(TandmonTest, AMissingCustomizerDoesNothingVisible) {
  platform::SetProcessStarter(nullptr);  // real process starts
  platform::WritePrivateProfileString("Defaults", "Customizer", "NoSuchCustomizer.exe",
                                      "Tandmon.ini");
  ASSERT_TRUE(Start());
  app.Advance(3000);
  ChooseFromTrayMenu(kIdmCustomize);
  ASSERT_TRUE(app.FakeTrayHost().DoubleClick(kTrayIconId));
  app.Advance(3000);
  EXPECT_TRUE(app.User().MessageBoxes().empty());
  EXPECT_TRUE(LogLines().empty());
  EXPECT_TRUE(mon->Window().IsWindow());
  EXPECT_FALSE(app.QuitRequested());
}

// Menu Exit, the close message (as another start sends it) and SIGTERM.
class TandmonCloseTest : public TandmonTest, public ::testing::WithParamInterface<int> {};

TEST_P(TandmonCloseTest, EndsTheMonitorAlike) {
  ASSERT_TRUE(Start());
  app.Advance(3000);
  ASSERT_EQ(TrayIcon(), 104);
  const int scans = procs.lister.calls;
  switch (GetParam()) {
    case 0:
      ChooseFromTrayMenu(kIdmExit);
      break;
    case 1:
      mon->Window().SendMessage(WM_CLOSE);
      break;
    default:
      app.RaiseTerminationSignal();
      break;
  }
  app.Pump();
  EXPECT_TRUE(app.QuitRequested());
  EXPECT_EQ(app.QuitCode(), 0);
  EXPECT_EQ(app.FakeTrayHost().IconCount(), 0u);
  EXPECT_FALSE(mon->Window().IsWindow());
  EXPECT_EQ(mon->TrayMenu(), nullptr);
  EXPECT_TRUE(State().games.empty());
  EXPECT_FALSE(ui::InstanceExists("Tandrix Monitor"));
  // No tick runs between the close and the end of the loop.
  EXPECT_EQ(app.Clock().ActiveTimers(), 0u);
  app.Clock().Advance(9000);
  EXPECT_EQ(procs.lister.calls, scans);
  // Closing leaves the last configuration live.
  EXPECT_TRUE(LiveIs("defaults\\Joy3D.vcg"));
  EXPECT_EQ(app.Run(), 0);
}

std::string CloseName(const ::testing::TestParamInfo<int>& info) {
  static const char* const kNames[] = {"MenuExit", "CloseMessage", "Sigterm"};
  return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(ExitCloseAndSignal, TandmonCloseTest, ::testing::Values(0, 1, 2),
                         CloseName);

TEST_F(TandmonTest, ExitWhileATicksDialogShowsWaitsForTheTick) {
  ASSERT_TRUE(Start());
  // The joystick prompt is shown inside the tick.
  Bind(false);
  procs.lister.paths = {quakeExe};
  app.User().OnDialog(kIddJoystickPrompt, [&](ui::OpenDialog& d) {
    ChooseFromTrayMenu(kIdmExit);
    // The window is gone, the game list still serves the tick.
    EXPECT_FALSE(mon->Window().IsWindow());
    EXPECT_EQ(State().games.size(), 3u);
    d.Click(IDCANCEL);
  });
  app.Advance(3000);
  EXPECT_EQ(DialogsOpened(kIddJoystickPrompt), 1);
  EXPECT_TRUE(app.QuitRequested());
  EXPECT_TRUE(State().games.empty());
  EXPECT_EQ(app.Clock().ActiveTimers(), 0u);
  // The tick finished its work.
  EXPECT_NE(Ini("Tandmon.ini", "Games", "Game1"), "");
}

TEST_F(TandmonTest, SuspendWhileATicksDialogShowsTakesEffectAfterTheTick) {
  ASSERT_TRUE(Start());
  Bind(false);
  procs.lister.paths = {quakeExe};
  app.User().OnDialog(kIddJoystickPrompt, [&](ui::OpenDialog& d) {
    ChooseFromTrayMenu(kIdmSuspend);
    EXPECT_FALSE(State().suspended);
    d.Click(IDCANCEL);
  });
  app.Advance(3000);
  EXPECT_TRUE(State().suspended);
  EXPECT_EQ(TrayIcon(), 139);
  EXPECT_EQ(mon->TrayMenu()->ItemText(3), "&Resume");
  EXPECT_EQ(app.Clock().ActiveTimers(), 0u);
  const int scans = procs.lister.calls;
  app.Advance(9000);
  EXPECT_EQ(procs.lister.calls, scans);
}

TEST_F(TandmonTest, WithoutATrayTheMonitorWatchesAndShowsTheIconOnceATrayAppears) {
  app.FakeTrayHost().SetAvailable(false);
  ASSERT_TRUE(Start());
  procs.lister.paths = {quakeExe};
  app.Advance(9000);
  EXPECT_EQ(procs.lister.calls, 3);
  EXPECT_TRUE(LiveIs("defaults\\quake.vcg"));
  EXPECT_EQ(app.FakeTrayHost().IconCount(), 0u);
  EXPECT_FALSE(State().iconAdded);
  // Suspend and Resume work from the window's commands all the same.
  mon->Window().SendMessage(WM_COMMAND, kIdmSuspend);
  EXPECT_TRUE(State().suspended);
  mon->Window().SendMessage(WM_COMMAND, kIdmSuspend);
  EXPECT_FALSE(State().suspended);

  app.FakeTrayHost().SetAvailable(true);
  app.Advance(3000);
  EXPECT_EQ(TrayIcon(), 104);
  EXPECT_TRUE(State().iconAdded);
}

TEST_F(TandmonTest, UnknownCommandsAndMessagesAreIgnored) {
  ASSERT_TRUE(Start());
  app.Advance(3000);
  EXPECT_EQ(mon->Window().SendMessage(WM_COMMAND, 40013), 0);
  EXPECT_EQ(mon->Window().SendMessage(WM_USER), 0);
  EXPECT_EQ(mon->Window().SendMessage(kTrayCallbackMessage, 0, WM_MOUSEMOVE), 0);
  ChooseFromTrayMenu(0);  // dismissed
  app.Advance(3000);
  EXPECT_TRUE(mon->Window().IsWindow());
  EXPECT_FALSE(State().suspended);
  EXPECT_FALSE(State().aboutOpen);
  EXPECT_TRUE(procs.starter.starts.empty());
}

}  // namespace
