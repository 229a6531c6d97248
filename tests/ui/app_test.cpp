// The virtual clock, the fake tray, menus, the hidden window and the
// message box rules.
#include <gtest/gtest.h>
#include <malloc.h>

#include <string>
#include <vector>

#include "sample_dialogs.h"
#include "support/tempdir.h"
#include "ui/headless/headless_app.h"
#include "ui/hidden_window.h"
#include "ui/menu.h"
#include "ui/msgbox.h"

namespace {

using ui::headless::FakeTray;
using ui::headless::TestApplication;
using ui::headless::VirtualClock;

ui::MenuTemplate TrayMenuTemplate() {
  using I = ui::MenuItemTemplate;
  return ui::MenuTemplate{106, {I::Popup("Tray", {I::Item("&About...", 40014), I::Item("&Customize...", 40012),
                                                  I::Separator(), I::Item("&Suspend", 40007),
                                                  I::Item("E&xit", 40009)})}};
}

TEST(VirtualClock, TimersFireInTimeOrderAndCanBeReplacedFromTheirCallback) {
  VirtualClock clock;
  std::vector<std::string> log;
  unsigned tick = 0;
  tick = clock.SetTimer(3000, [&](unsigned id) {
    log.push_back("tick@" + std::to_string(clock.Now()));
    // Like a watcher tick: stop, work, set again with a new id.
    EXPECT_TRUE(clock.KillTimer(id));
    tick = clock.SetTimer(3000, [&](unsigned) { log.push_back("again@" + std::to_string(clock.Now())); });
  });
  const unsigned fast = clock.SetTimer(1000, [&](unsigned) { log.push_back("fast@" + std::to_string(clock.Now())); });
  EXPECT_NE(tick, fast);
  clock.Advance(2999);
  EXPECT_EQ(log, (std::vector<std::string>{"fast@1000", "fast@2000"}));
  clock.Advance(1);
  // Due together: the one that waited longest fires first.
  EXPECT_EQ(log[log.size() - 2], "tick@3000");
  EXPECT_EQ(log.back(), "fast@3000");
  const unsigned replaced = tick;
  EXPECT_TRUE(clock.IsActive(replaced));
  clock.Advance(3000);
  EXPECT_EQ(log[log.size() - 2], "again@6000");
  EXPECT_EQ(log.back(), "fast@6000");
  EXPECT_EQ(clock.Fired(fast), 6);
  EXPECT_FALSE(clock.KillTimer(9999));
  EXPECT_EQ(clock.SetTimer(10, nullptr), 0u);
  clock.KillTimer(fast);
  clock.KillTimer(replaced);
  EXPECT_EQ(clock.ActiveTimers(), 0u);
  int once = 0;
  clock.After(500, [&] { ++once; });
  clock.Advance(5000);
  EXPECT_EQ(once, 1);
  EXPECT_EQ(clock.ActiveTimers(), 0u);
}

TEST(Menu, LoadedFromItsTemplateAndChangedByPosition) {
  ui::Menu bar(TrayMenuTemplate());
  ASSERT_EQ(bar.ItemCount(), 1);
  EXPECT_EQ(bar.ItemId(0), -1);
  ui::Menu* tray = bar.SubMenu(0);
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(tray->ItemCount(), 5);
  EXPECT_EQ(tray->ItemId(0), 40014);
  EXPECT_EQ(tray->ItemId(2), 0);
  EXPECT_EQ(tray->ItemText(3), "&Suspend");
  EXPECT_TRUE(tray->SetItemText(3, "&Resume"));
  EXPECT_EQ(tray->ItemText(3), "&Resume");
  EXPECT_EQ(tray->ItemId(3), 40007);  // only the text changes
  EXPECT_FALSE(tray->SetItemText(5, "x"));
  EXPECT_EQ(tray->ItemId(-1), -1);
  EXPECT_EQ(tray->SubMenu(0), nullptr);
  EXPECT_TRUE(bar.EnableItem(40009, false));
  EXPECT_TRUE(tray->FindCommand(40009)->grayed);
  EXPECT_FALSE(bar.CheckItem(1, true));
  EXPECT_EQ(ui::StripAccessKey("E&xit"), "Exit");
  EXPECT_EQ(ui::StripAccessKey("Fish && &Chips"), "Fish & Chips");
}

TEST(FakeTray, IconsCarryTheirCallbackAndMenusTheirChoice) {
  ui::headless::ScriptedUser user;
  FakeTray tray(true, &user);
  std::vector<std::pair<unsigned, unsigned>> mouse;
  std::vector<int> commands;
  tray.SetMouseHandler([&](unsigned cb, unsigned m) { mouse.emplace_back(cb, m); });
  tray.SetCommandHandler([&](int id) { commands.push_back(id); });

  ui::NotifyIcon icon{0, 666, 104, std::string(80, 'T'), {}, {}};
  EXPECT_TRUE(tray.AddIcon(icon));
  EXPECT_FALSE(tray.AddIcon(icon));  // already there
  EXPECT_EQ(tray.Icon(0)->tip.size(), ui::kMaxTipLength);
  icon.iconId = 139;
  icon.tip = "Tandrix Monitor";
  EXPECT_TRUE(tray.ModifyIcon(icon));
  EXPECT_EQ(tray.Icon(0)->iconId, 139);

  EXPECT_TRUE(tray.RightClick(0));
  EXPECT_TRUE(tray.DoubleClick(0));
  EXPECT_FALSE(tray.RightClick(5));
  EXPECT_EQ(mouse, (std::vector<std::pair<unsigned, unsigned>>{{666, WM_RBUTTONDOWN}, {666, WM_LBUTTONDBLCLK}}));

  ui::Menu bar(TrayMenuTemplate());
  bar.EnableItem(40012, false);
  user.ChooseFromNextMenu(40007);
  user.ChooseFromNextMenu(40012);  // grayed: nothing happens
  user.ChooseFromNextMenu(12345);  // not in the menu
  for (int i = 0; i < 4; ++i) tray.TrackPopupMenu(*bar.SubMenu(0), tray.CursorPos(), TPM_RIGHTALIGN | TPM_RIGHTBUTTON);
  EXPECT_EQ(commands, (std::vector<int>{40007}));
  ASSERT_EQ(tray.MenusShown().size(), 4u);
  EXPECT_EQ(tray.MenusShown()[0].texts,
            (std::vector<std::string>{"&About...", "&Customize...", "", "&Suspend", "E&xit"}));
  EXPECT_EQ(tray.MenusShown()[3].chosen, 0);  // dismissed

  EXPECT_TRUE(tray.DeleteIcon(0));
  EXPECT_FALSE(tray.DeleteIcon(0));
  EXPECT_EQ(tray.Log(), (std::vector<std::string>{"add 104 " + std::string(63, 'T'),
                                                  "modify 139 Tandrix Monitor", "delete"}));

  FakeTray none(false);
  EXPECT_FALSE(none.IsAvailable());
  EXPECT_FALSE(none.AddIcon(icon));
  EXPECT_FALSE(none.ModifyIcon(icon));
  EXPECT_EQ(none.IconCount(), 0u);
}

// A window procedure in the shape of a tray program's.
struct TrayProgram {
  explicit TrayProgram(TestApplication& app) : app(app), window(app), bar(TrayMenuTemplate()) {}

  bool Create(const std::string& className) {
    return window.Create(className, className,
                         [this](ui::HiddenWindow& w, unsigned msg, std::uintptr_t wp, std::intptr_t lp) -> long {
                           seen.push_back(msg);
                           switch (msg) {
                             case WM_CREATE:
                               timer = app.Timers().SetTimer(3000, [this](unsigned) { ++ticks; });
                               return 0;
                             case 666:
                               if (lp == WM_RBUTTONDOWN) {
                                 app.Tray().TrackPopupMenu(*bar.SubMenu(0), app.Tray().CursorPos(),
                                                           TPM_RIGHTALIGN | TPM_RIGHTBUTTON);
                                 w.PostMessage(WM_USER);
                               }
                               return 0;
                             case WM_COMMAND:
                               commands.push_back(static_cast<int>(wp));
                               if (wp == 40009) w.SendMessage(WM_CLOSE);
                               return 0;
                             case WM_DESTROY:
                               w.PostQuitMessage(0);
                               return 0;
                             default:
                               return w.DefWindowProc(msg, wp, lp);
                           }
                         });
  }

  TestApplication& app;
  ui::HiddenWindow window;
  ui::Menu bar;
  unsigned timer = 0;
  int ticks = 0;
  std::vector<unsigned> seen;
  std::vector<int> commands;
};

TEST(HiddenWindow, TrayAndMenuReachTheWindowProcedure) {
  testsupport::TempDir runtime;
  testsupport::ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
  TestApplication app;
  TrayProgram program(app);
  ASSERT_TRUE(program.Create("Tandrix Test Window"));
  EXPECT_TRUE(program.window.IsWindow());
  EXPECT_EQ(program.seen, (std::vector<unsigned>{WM_CREATE}));
  app.Tray().AddIcon(ui::NotifyIcon{0, 666, 104, "Tandrix Monitor", {}, {}});

  app.User().ChooseFromNextMenu(40012);
  app.FakeTrayHost().RightClick(0);
  EXPECT_EQ(program.commands, (std::vector<int>{40012}));
  // The posted message arrives once the loop runs.
  EXPECT_EQ(program.seen.back(), unsigned(WM_COMMAND));
  app.Pump();
  EXPECT_EQ(program.seen.back(), unsigned(WM_USER));

  app.Advance(9000);
  EXPECT_EQ(program.ticks, 3);

  app.User().ChooseFromNextMenu(40009);
  app.FakeTrayHost().RightClick(0);
  EXPECT_FALSE(program.window.IsWindow());
  EXPECT_TRUE(app.QuitRequested());
  EXPECT_EQ(app.Run(), 0);
  const std::vector<unsigned> tail(program.seen.end() - 3, program.seen.end());
  EXPECT_EQ(tail, (std::vector<unsigned>{WM_COMMAND, WM_CLOSE, WM_DESTROY}));
  // Nothing reaches a window that is gone.
  app.FakeTrayHost().RightClick(0);
  EXPECT_EQ(program.seen.back(), unsigned(WM_DESTROY));
}

TEST(HiddenWindow, CreateAnsweredWithMinusOneLeavesNoWindow) {
  testsupport::TempDir runtime;
  testsupport::ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
  TestApplication app;
  ui::HiddenWindow window(app);
  EXPECT_FALSE(window.Create("Tandrix Refused", "x",
                             [](ui::HiddenWindow&, unsigned msg, std::uintptr_t, std::intptr_t) -> long {
                               return msg == WM_CREATE ? -1 : 0;
                             }));
  EXPECT_FALSE(window.IsWindow());
  EXPECT_FALSE(window.IsFindable());
  EXPECT_FALSE(ui::HiddenWindow::Find("Tandrix Refused"));
}

TEST(TestApplication, RunStopsAtTheLimitOrAtQuit) {
  TestApplication app;
  int ticks = 0;
  app.Timers().SetTimer(3000, [&](unsigned) {
    if (++ticks == 4) app.PostQuit(3);
  });
  app.SetRunLimit(60000);
  EXPECT_EQ(app.Run(), 3);
  EXPECT_EQ(app.Clock().Now(), 12000u);

  TestApplication idle;
  idle.SetRunLimit(1000);
  EXPECT_EQ(idle.Run(), -1);

  TestApplication signalled;
  bool closed = false;
  signalled.OnTerminationSignal([&] { closed = true; });
  signalled.RaiseTerminationSignal();
  EXPECT_TRUE(closed);
  EXPECT_FALSE(signalled.QuitRequested());
}

TEST(MessageBoxRules, ButtonsDefaultsAndEscape) {
  struct Row {
    unsigned flags;
    std::vector<int> buttons;
    int def;
    int escape;
    ui::MessageIcon icon;
  };
  const Row rows[] = {
      {MB_OK, {IDOK}, IDOK, IDOK, ui::MessageIcon::None},
      {MB_OKCANCEL | MB_ICONEXCLAMATION, {IDOK, IDCANCEL}, IDOK, IDCANCEL, ui::MessageIcon::Exclamation},
      {MB_YESNOCANCEL | MB_ICONQUESTION, {IDYES, IDNO, IDCANCEL}, IDYES, IDCANCEL, ui::MessageIcon::Question},
      {MB_YESNO | MB_ICONSTOP | MB_DEFBUTTON2, {IDYES, IDNO}, IDNO, 0, ui::MessageIcon::Stop},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, {IDYES, IDNO, IDCANCEL}, IDCANCEL, IDCANCEL, ui::MessageIcon::None},
      {MB_OK | MB_DEFBUTTON3 | MB_ICONINFORMATION | MB_SYSTEMMODAL, {IDOK}, IDOK, IDOK, ui::MessageIcon::Information},
      {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, IDABORT, 0, ui::MessageIcon::None},
      {0x0F, {IDOK}, IDOK, IDOK, ui::MessageIcon::None},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ui::MessageBoxButtons(row.flags), row.buttons) << row.flags;
    EXPECT_EQ(ui::DefaultMessageBoxResult(row.flags), row.def) << row.flags;
    EXPECT_EQ(ui::EscapeMessageBoxResult(row.flags), row.escape) << row.flags;
    EXPECT_EQ(ui::MessageBoxIcon(row.flags), row.icon) << row.flags;
  }
  EXPECT_TRUE(ui::IsSystemModal(MB_OK | MB_SYSTEMMODAL | MB_ICONHAND));
  EXPECT_FALSE(ui::IsSystemModal(MB_TASKMODAL));
  EXPECT_EQ(ui::MessageBoxCaption(""), "Error");
}

TEST(MessageBoxRules, HeadlessAnswersScriptedOrWithTheDefaultButton) {
  ui::headless::ScriptedUser user;
  ui::headless::HeadlessDialogHost host(&user);
  user.AnswerNextMessageBox(IDCANCEL);
  EXPECT_EQ(host.MessageBox(nullptr, "Save?", "Tandrix", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(host.MessageBox(nullptr, "Save?", "Tandrix", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(host.MessageBox(nullptr, "Oops", "", MB_OK | MB_ICONSTOP), IDOK);
  ASSERT_EQ(user.MessageBoxes().size(), 3u);
  EXPECT_TRUE(user.MessageBoxes()[0].scripted);
  EXPECT_FALSE(user.MessageBoxes()[1].scripted);
  EXPECT_EQ(user.MessageBoxes()[2].caption, "Error");
  // Without any user at all, the default button.
  ui::headless::HeadlessDialogHost alone;
  EXPECT_EQ(alone.MessageBox(nullptr, "x", "y", MB_YESNO), IDYES);
}

}  // namespace

namespace {

// A program without display that runs for days shows dialogs now and then;
// each one must leave nothing behind (no record, no listener, no watch).
TEST(HeadlessApplicationMemory, StaysFlatOverTenThousandDialogs) {
  ui::headless::HeadlessApplication app;
  auto run = [&](int n) {
    for (int i = 0; i < n; ++i) {
      uitest::PromptDlg dlg;
      ASSERT_EQ(dlg.DoModal(app.Dialogs()), IDNO);
    }
  };
  run(100);  // first allocations of the runtime and the loop
  const std::size_t before = ::mallinfo2().uordblks;
  run(10000);
  const std::size_t after = ::mallinfo2().uordblks;
  // A leak of even a few bytes a dialog would show as tens of kilobytes.
  EXPECT_LT(after, before + 16 * 1024) << before << " -> " << after;
  EXPECT_TRUE(app.Headless().Dialogs().empty());
}

}  // namespace
