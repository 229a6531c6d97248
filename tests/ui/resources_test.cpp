// Templates a dialog keeps, string tables, and the sample main window
// (menu bar, icons, system menu, typed combo box, picture, disabled radio)
// played on the headless host.
#include <gtest/gtest.h>

#include <algorithm>
#include <type_traits>

#include "sample_dialogs.h"
#include "ui/dialog.h"
#include "ui/dialog_model.h"
#include "ui/headless/headless_host.h"
#include "ui/strings.h"

namespace {

using namespace uitest;

ui::DialogTemplate MadeTemplate(int id) {
  ui::DialogTemplate t = PromptTemplate();
  t.id = id;
  t.title = "Made " + std::to_string(id);
  return t;
}

TEST(TemplateLife, ADialogKeepsATemplateMadeForIt) {
  static_assert(!std::is_constructible_v<ui::CDialog, const ui::DialogTemplate&&>);
  static_assert(!std::is_constructible_v<ui::DialogModel, const ui::DialogTemplate&&, ui::CDialog*>);
  ui::headless::ScriptedUser user;
  ui::headless::HeadlessDialogHost host(&user);
  // The temporary is gone before DoModal; the dialog's copy is what shows.
  ui::CDialog dlg(MadeTemplate(950));
  user.OnDialog(950, [](ui::OpenDialog& d) {
    EXPECT_EQ(d.Title(), "Made 950");
    EXPECT_TRUE(d.Click(1000));
    d.Click(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(host), IDOK);
  EXPECT_EQ(dlg.GetTemplate().title, "Made 950");
  EXPECT_EQ(user.PendingScripts(), 0u);
}

TEST(StringTables, ProgramsReadTheirOwnTexts) {
  static constexpr ui::StringResource kFirst[] = {{61238, "Customizer Utility V4.71"},
                                                  {61215, "<none>"}};
  static constexpr ui::StringResource kClash[] = {{61215, "other"}, {101, "&About svcsetup..."}};
  ui::StringTable table;
  EXPECT_TRUE(table.Add(kFirst));
  // A clashing id keeps its first text; the rest of the table is taken.
  EXPECT_FALSE(table.Add(kClash));
  EXPECT_EQ(table.Find(61215), "<none>");
  EXPECT_EQ(table.Find(101), "&About svcsetup...");
  EXPECT_EQ(table.Find(7), "");
  EXPECT_FALSE(table.Contains(7));

  static const ui::StringTableRegistration registered(kFirst);
  EXPECT_EQ(ui::LoadString(61238), "Customizer Utility V4.71");
  EXPECT_EQ(ui::LoadString(4711), "");
}

TEST(SampleWindow, MenusIconsAndControlsOnTheHeadlessHost) {
  ui::headless::ScriptedUser user;
  ui::headless::HeadlessDialogHost host(&user);
  SampleDlg dlg;
  user.OnDialog(kSampleDialog, [](ui::OpenDialog& d) { PlaySampleSteps(d); });
  const int result = dlg.DoModal(host);
  ExpectSampleOutcome(dlg, result);
  EXPECT_EQ(dlg.GetMenu(), nullptr);  // closed dialogs have no menu
}

TEST(SampleWindow, SystemMenuCloseAndExitLeaveAsCancel) {
  struct Row {
    const char* what;
    std::function<bool(ui::OpenDialog&)> act;
  };
  const std::vector<Row> rows = {
      {"system menu Close", [](ui::OpenDialog& d) { return d.ChooseSystemMenu(SC_CLOSE); }},
      {"File > Exit", [](ui::OpenDialog& d) { return d.ChooseMenu(kMenuExit); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ui::headless::ScriptedUser user;
    ui::headless::HeadlessDialogHost host(&user);
    SampleDlg dlg;
    user.OnNextDialog([&](ui::OpenDialog& d) { EXPECT_TRUE(row.act(d)); });
    EXPECT_EQ(dlg.DoModal(host), IDCANCEL);
    EXPECT_EQ(host.Dialogs().back().unattended, false);
  }
}

// A grayed menu item refuses the command; its checked mark shows.
TEST(SampleWindow, GrayedMenuItemsRefuseTheirCommand) {
  ui::headless::ScriptedUser user;
  ui::headless::HeadlessDialogHost host(&user);
  SampleDlg dlg;
  user.OnNextDialog([&](ui::OpenDialog& d) {
    ui::Menu* menu = dlg.GetMenu();
    ASSERT_NE(menu, nullptr);
    menu->EnableItem(kMenuModes, false);
    dlg.DrawMenuBar();
    EXPECT_FALSE(d.ChooseMenu(kMenuModes));
    EXPECT_FALSE(d.ChooseMenu(0));  // a popup or separator is no command
    d.Close();
  });
  dlg.DoModal(host);
  EXPECT_EQ(std::count(dlg.log.begin(), dlg.log.end(), "menu:32776"), 0);
}

}  // namespace
