// CDialog, data exchange and the control rules, played on the headless host.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sample_dialogs.h"
#include "ui/dialog.h"
#include "ui/dialog_model.h"
#include "ui/headless/headless_host.h"
#include "ui/headless/scripted_user.h"

namespace {

using ui::headless::HeadlessDialogHost;
using ui::headless::ScriptedUser;
using namespace uitest;

// A dialog whose every member is exchanged with a control.
class SettingsDlg : public ui::CDialog {
 public:
  SettingsDlg() : CDialog(SettingsTemplate()) {}

  std::string name = "Quake";
  int count = 3;
  int level = 1;
  int orientation = 0;
  int game = -1;
  std::string port = "COM2";
  std::intptr_t mode = 20;
  int speed = 100;
  int show = BST_INDETERMINATE;
  std::string notes = "line one\r\nline two";
  std::vector<std::string> games = {"quake", "Duke Nukem 3D", "descent", "Blood"};
  std::vector<std::pair<int, std::string>> log;
  std::function<void(SettingsDlg&)> onInit;

 protected:
  bool OnInitDialog() override {
    for (const auto& g : games) GetDlgItem(kGames).AddString(g);
    for (const char* p : {"COM3", "COM1", "COM2"}) GetDlgItem(kPort).AddString(p);
    const std::pair<const char*, std::intptr_t> modes[] = {{"Slow", 10}, {"Normal", 20}, {"Fast", 30}};
    for (const auto& [text, data] : modes) {
      const int i = GetDlgItem(kMode).AddString(text);
      GetDlgItem(kMode).SetItemData(i, data);
    }
    GetDlgItem(kSpeed).SetRange(0, 200);
    GetDlgItem(kSpeed).SetTicFreq(10);
    if (onInit) onInit(*this);
    return CDialog::OnInitDialog();
  }
  void DoDataExchange(ui::CDataExchange* pDX) override {
    ui::DDX_Text(pDX, kName, name);
    ui::DDX_Text(pDX, kCount, count);
    ui::DDV_MinMaxInt(pDX, count, 0, 99);
    ui::DDX_Radio(pDX, kLevelBasic, level);
    ui::DDX_Radio(pDX, kHorizontal, orientation);
    ui::DDX_LBIndex(pDX, kGames, game);
    ui::DDX_CBStringExact(pDX, kPort, port);
    ui::DDX_CBItemData(pDX, kMode, mode);
    ui::DDX_Slider(pDX, kSpeed, speed);
    ui::DDX_Check(pDX, kShow, show);
    ui::DDX_Text(pDX, kNotes, notes);
  }
  void OnCommand(int id, int code) override {
    log.emplace_back(id, std::to_string(code));
    CDialog::OnCommand(id, code);
  }
};

struct Fixture {
  ScriptedUser user;
  HeadlessDialogHost host{&user};
};

TEST(DialogExchange, LoadShowsEveryMemberInItsControl) {
  Fixture f;
  SettingsDlg dlg;
  f.user.OnNextDialog([](ui::OpenDialog& d) {
    EXPECT_EQ(d.Title(), "Settings");
    EXPECT_EQ(d.Text(kName), "Quake");
    EXPECT_EQ(d.Text(kCount), "3");
    EXPECT_EQ(d.Check(kLevelBasic), BST_UNCHECKED);
    EXPECT_EQ(d.Check(kLevelFull), BST_CHECKED);
    EXPECT_EQ(d.Check(kHorizontal), BST_CHECKED);
    EXPECT_EQ(d.Check(kVertical), BST_UNCHECKED);
    EXPECT_EQ(d.Items(kGames), (std::vector<std::string>{"Blood", "descent", "Duke Nukem 3D", "quake"}));
    EXPECT_EQ(d.Selection(kGames), -1);
    EXPECT_EQ(d.Items(kPort), (std::vector<std::string>{"COM1", "COM2", "COM3"}));
    EXPECT_EQ(d.Selection(kPort), 1);
    EXPECT_EQ(d.Text(kPort), "COM2");
    EXPECT_EQ(d.Items(kMode), (std::vector<std::string>{"Slow", "Normal", "Fast"}));
    EXPECT_EQ(d.Selection(kMode), 1);
    EXPECT_EQ(d.Text(kMode), "Normal");
    EXPECT_EQ(d.SliderPos(kSpeed), 100);
    EXPECT_EQ(d.Check(kShow), BST_INDETERMINATE);
    EXPECT_EQ(d.Text(kNotes), "line one\r\nline two");
    EXPECT_TRUE(d.Centered());
    d.Close();
  });
  EXPECT_EQ(dlg.DoModal(f.host), IDCANCEL);
  // Cancel saves nothing.
  EXPECT_EQ(dlg.name, "Quake");
}

// Each row: what the user does, then what OK leaves in the members.
TEST(DialogExchange, OkSavesWhatTheUserDid) {
  struct Row {
    const char* what;
    std::function<void(ui::OpenDialog&)> act;
    std::function<void(const SettingsDlg&)> check;
  };
  const std::vector<Row> rows = {
      {"typed name", [](ui::OpenDialog& d) { EXPECT_TRUE(d.Type(kName, "Descent II")); },
       [](const SettingsDlg& s) { EXPECT_EQ(s.name, "Descent II"); }},
      {"typed count with blanks", [](ui::OpenDialog& d) { d.Type(kCount, " 42 "); },
       [](const SettingsDlg& s) { EXPECT_EQ(s.count, 42); }},
      // Members exchanged before the failed check keep what was read.
      {"negative count refused by range", [](ui::OpenDialog& d) { d.Type(kCount, "-1"); },
       [](const SettingsDlg& s) {
         EXPECT_EQ(s.count, -1);
         EXPECT_EQ(s.level, 1);  // exchanged after the check: untouched
       }},
      {"picked Basic", [](ui::OpenDialog& d) { EXPECT_TRUE(d.Click(kLevelBasic)); },
       [](const SettingsDlg& s) { EXPECT_EQ(s.level, 0); }},
      {"picked Vertical", [](ui::OpenDialog& d) { d.Click(kVertical); },
       [](const SettingsDlg& s) {
         EXPECT_EQ(s.orientation, 1);
         EXPECT_EQ(s.level, 1);  // the other group is untouched
       }},
      {"picked a game row", [](ui::OpenDialog& d) { EXPECT_TRUE(d.SelectRowText(kGames, "quake")); },
       [](const SettingsDlg& s) { EXPECT_EQ(s.game, 3); }},
      {"typed a port not listed", [](ui::OpenDialog& d) { d.Type(kPort, "COM7"); },
       [](const SettingsDlg& s) { EXPECT_EQ(s.port, "COM7"); }},
      {"typed a listed port in other case", [](ui::OpenDialog& d) {
         d.Type(kPort, "com3");
         EXPECT_EQ(d.Selection(kPort), 2);
       },
       [](const SettingsDlg& s) { EXPECT_EQ(s.port, "com3"); }},
      {"picked a mode", [](ui::OpenDialog& d) { d.SelectRow(kMode, 2); },
       [](const SettingsDlg& s) { EXPECT_EQ(s.mode, 30); }},
      {"moved the slider past its end", [](ui::OpenDialog& d) { d.MoveSlider(kSpeed, 250); },
       [](const SettingsDlg& s) { EXPECT_EQ(s.speed, 200); }},
      {"two clicks on a three-state box from indeterminate", [](ui::OpenDialog& d) {
         d.Click(kShow);
         EXPECT_EQ(d.Check(kShow), BST_UNCHECKED);
         d.Click(kShow);
       },
       [](const SettingsDlg& s) { EXPECT_EQ(s.show, BST_CHECKED); }},
      {"typed notes", [](ui::OpenDialog& d) { d.Type(kNotes, "a\r\nb"); },
       [](const SettingsDlg& s) { EXPECT_EQ(s.notes, "a\r\nb"); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Fixture f;
    SettingsDlg dlg;
    bool negative = std::string(row.what).find("refused") != std::string::npos;
    f.user.OnNextDialog([&](ui::OpenDialog& d) {
      row.act(d);
      d.PressEnter();
      if (negative) {
        // The range check failed: the dialog stays open with the field focused.
        EXPECT_FALSE(d.Ended());
        EXPECT_EQ(d.Model().FocusedControl(), kCount);
        d.Close();
      }
    });
    const int result = dlg.DoModal(f.host);
    EXPECT_EQ(result, negative ? IDCANCEL : IDOK);
    row.check(dlg);
    if (negative) {
      ASSERT_EQ(f.user.MessageBoxes().size(), 1u);
      EXPECT_EQ(f.user.MessageBoxes()[0].text, "Please enter an integer between 0 and 99.");
    }
  }
}

TEST(DialogExchange, TextThatIsNoNumberKeepsTheDialogOpen) {
  Fixture f;
  SettingsDlg dlg;
  f.user.OnNextDialog([](ui::OpenDialog& d) {
    d.Type(kName, "changed");
    d.Type(kCount, "12a");
    d.PressEnter();
    EXPECT_FALSE(d.Ended());
    EXPECT_EQ(d.Model().FocusedControl(), kCount);
    d.Type(kCount, "12");
    d.PressEnter();
  });
  EXPECT_EQ(dlg.DoModal(f.host), IDOK);
  EXPECT_EQ(dlg.count, 12);
  EXPECT_EQ(dlg.name, "changed");
  ASSERT_EQ(f.user.MessageBoxes().size(), 1u);
  EXPECT_EQ(f.user.MessageBoxes()[0].text, "Please enter an integer.");
  EXPECT_EQ(f.user.MessageBoxes()[0].flags, unsigned(MB_OK | MB_ICONEXCLAMATION));
}

TEST(DialogExchange, LoadOfValuesNoControlHolds) {
  Fixture f;
  SettingsDlg dlg;
  dlg.level = -1;        // no radio button
  dlg.orientation = 5;   // past the group
  dlg.game = 17;         // past the list
  dlg.port = "LPT1";     // no such item
  dlg.mode = 99;         // no item carries it
  dlg.show = 7;          // no check state
  f.user.OnNextDialog([](ui::OpenDialog& d) {
    EXPECT_EQ(d.Check(kLevelBasic) + d.Check(kLevelFull), 0);
    EXPECT_EQ(d.Check(kHorizontal) + d.Check(kVertical), 0);
    EXPECT_EQ(d.Selection(kGames), -1);
    EXPECT_EQ(d.Selection(kPort), -1);
    EXPECT_EQ(d.Text(kPort), "LPT1");  // an editable combo shows the text anyway
    EXPECT_EQ(d.Selection(kMode), -1);
    EXPECT_EQ(d.Text(kMode), "");
    EXPECT_EQ(d.Check(kShow), BST_UNCHECKED);
    d.PressEnter();
  });
  EXPECT_EQ(dlg.DoModal(f.host), IDOK);
  EXPECT_EQ(dlg.level, -1);
  EXPECT_EQ(dlg.orientation, -1);
  EXPECT_EQ(dlg.game, -1);
  EXPECT_EQ(dlg.mode, -1);
  EXPECT_EQ(dlg.show, BST_UNCHECKED);
}

TEST(DialogExchange, ParseIntTakesWholeSignedNumbersOnly) {
  struct Row {
    const char* text;
    bool ok;
    int value;
  };
  const Row rows[] = {{"0", true, 0},          {"-17", true, -17},  {"+5", true, 5},
                      {"  8\t", true, 8},       {"", false, 0},      {"-", false, 0},
                      {"1 2", false, 0},        {"0x10", false, 0},  {"2147483647", true, 2147483647},
                      {"2147483648", false, 0}, {"-2147483648", true, -2147483647 - 1},
                      {"99999999999999999999", false, 0}};
  for (const auto& row : rows) {
    int value = 0;
    EXPECT_EQ(ui::ParseInt(row.text, value), row.ok) << row.text;
    if (row.ok) {
      EXPECT_EQ(value, row.value) << row.text;
    }
  }
}

// --- control rules --------------------------------------------------------------

TEST(ControlRules, ClicksFollowEachControlsStyle) {
  ui::DialogTemplate t;
  t.id = 1;
  t.controls = {
      ui::AutoCheckBox("two", 10, 0, 0, 10, 10),
      ui::Auto3State("three", 11, 0, 0, 10, 10),
      ui::CheckBox("manual", 12, 0, 0, 10, 10),
      ui::AutoRadioButton("a", 20, 0, 0, 10, 10, ui::ctl::Group),
      ui::AutoRadioButton("b", 21, 0, 0, 10, 10),
      ui::LText("label", 22, 0, 0, 10, 10),
      ui::AutoRadioButton("c", 23, 0, 0, 10, 10),
      ui::AutoRadioButton("x", 30, 0, 0, 10, 10, ui::ctl::Group),
      ui::PushButton("off", 40, 0, 0, 10, 10, ui::ctl::Disabled),
      ui::PushButton("hidden", 41, 0, 0, 10, 10, ui::ctl::Hidden),
      ui::LText("plain", 42, 0, 0, 10, 10),
      ui::LText("link", 43, 0, 0, 10, 10, ui::ctl::Notify),
  };
  struct Row {
    std::vector<int> clicks;
    int id;
    int state;
  };
  const Row rows[] = {
      {{10}, 10, BST_CHECKED},
      {{10, 10}, 10, BST_UNCHECKED},
      {{11}, 11, BST_CHECKED},
      {{11, 11}, 11, BST_INDETERMINATE},
      {{11, 11, 11}, 11, BST_UNCHECKED},
      {{12, 12}, 12, BST_UNCHECKED},  // the program decides for a manual box
      {{20, 21}, 20, BST_UNCHECKED},
      {{20, 21}, 21, BST_CHECKED},
      {{20, 23}, 20, BST_UNCHECKED},  // a static inside the group does not end it
      {{30, 20}, 30, BST_CHECKED},    // another group keeps its choice
      {{20, 20}, 20, BST_CHECKED},
  };
  for (const auto& row : rows) {
    ui::DialogModel m(t, nullptr);
    for (int id : row.clicks) EXPECT_TRUE(m.UserClick(id));
    EXPECT_EQ(m.Check(row.id), row.state) << "control " << row.id;
  }
  ui::DialogModel m(t, nullptr);
  EXPECT_FALSE(m.UserClick(40));  // disabled
  EXPECT_FALSE(m.UserClick(41));  // hidden
  EXPECT_FALSE(m.UserClick(42));  // a static that does not report clicks
  EXPECT_TRUE(m.UserClick(43));
  EXPECT_FALSE(m.UserClick(99));  // no such control
  EXPECT_FALSE(m.UserType(10, "x"));
  EXPECT_FALSE(m.UserSelect(10, 0));
  EXPECT_FALSE(m.SetCheck(42, BST_CHECKED));
  // The third state needs a three-state box; elsewhere it means checked.
  m.SetCheck(10, BST_INDETERMINATE);
  EXPECT_EQ(m.Check(10), BST_CHECKED);
  m.SetCheck(11, BST_INDETERMINATE);
  EXPECT_EQ(m.Check(11), BST_INDETERMINATE);
  EXPECT_EQ(m.RadioGroup(20), (std::vector<int>{20, 21, 23}));
  m.End(5);
  EXPECT_FALSE(m.UserClick(10));  // nothing reaches a dialog that has ended
}

TEST(ControlRules, ListsKeepOrderSelectionAndData) {
  ui::DialogTemplate t;
  t.controls = {ui::ListBox(1, 0, 0, 10, 10, ui::ctl::Sorted), ui::ListBox(2, 0, 0, 10, 10),
                ui::ComboBox(3, 0, 0, 10, 10, ui::ctl::DropDownList)};
  ui::DialogModel m(t, nullptr);
  // Sorted without regard to case; equal texts stay in the order added.
  for (const char* s : {"beta", "Alpha", "gamma", "ALPHA", "alpha2"}) m.AddString(1, s);
  std::vector<std::string> items;
  for (int i = 0; i < m.Count(1); ++i) items.push_back(m.ItemText(1, i));
  EXPECT_EQ(items, (std::vector<std::string>{"Alpha", "ALPHA", "alpha2", "beta", "gamma"}));

  // An unsorted list appends; inserting before the selection moves it along.
  for (const char* s : {"c", "a", "b"}) m.AddString(2, s);
  EXPECT_EQ(m.ItemText(2, 0), "c");
  EXPECT_EQ(m.SetCurSel(2, 1), 1);
  EXPECT_EQ(m.InsertString(2, 0, "first"), 0);
  EXPECT_EQ(m.CurSel(2), 2);
  EXPECT_EQ(m.InsertString(2, 9, "far"), LB_ERR);
  EXPECT_EQ(m.InsertString(2, -1, "last"), 4);
  EXPECT_EQ(m.DeleteString(2, 0), 4);
  EXPECT_EQ(m.CurSel(2), 1);
  EXPECT_EQ(m.DeleteString(2, 1), 3);  // the selected one
  EXPECT_EQ(m.CurSel(2), -1);
  EXPECT_EQ(m.DeleteString(2, 3), LB_ERR);

  // Out of range selects nothing.
  m.SetCurSel(1, 0);
  EXPECT_EQ(m.SetCurSel(1, 255), LB_ERR);
  EXPECT_EQ(m.CurSel(1), -1);
  EXPECT_EQ(m.SetCurSel(1, -1), LB_ERR);

  // Searching wraps round and ignores case.
  EXPECT_EQ(m.FindStringExact(1, -1, "alpha"), 0);
  EXPECT_EQ(m.FindStringExact(1, 0, "alpha"), 1);
  EXPECT_EQ(m.FindStringExact(1, 1, "alpha"), 0);
  EXPECT_EQ(m.FindStringExact(1, -1, "alp"), LB_ERR);
  EXPECT_EQ(m.FindString(1, 2, "ALP"), 0);
  EXPECT_EQ(m.SelectString(1, -1, "G"), 4);
  EXPECT_EQ(m.SelectString(1, -1, "zeta"), LB_ERR);
  EXPECT_EQ(m.CurSel(1), 4);  // a failed search keeps the selection

  // Item data belongs to its item wherever the item moves.
  m.AddString(3, "x");
  m.SetItemData(3, 0, 77);
  m.InsertString(3, 0, "w");
  EXPECT_EQ(m.ItemData(3, 1), 77);
  EXPECT_EQ(m.ItemData(3, 5), LB_ERR);
  EXPECT_EQ(m.SetItemData(3, 5, 1), LB_ERR);
  m.SetCurSel(3, 1);
  EXPECT_EQ(m.Text(3), "x");
  EXPECT_FALSE(m.SetText(3, "w"));  // a drop-down list has no text of its own
  EXPECT_TRUE(m.ResetContent(3));
  EXPECT_EQ(m.Count(3), 0);
  EXPECT_EQ(m.CurSel(3), -1);
  EXPECT_EQ(m.Count(99), LB_ERR);
}

TEST(ControlRules, TrackBarsClampToTheirRange) {
  ui::DialogTemplate t;
  t.controls = {ui::TrackBar(1, 0, 0, 10, 10)};
  ui::DialogModel m(t, nullptr);
  EXPECT_EQ(m.RangeMax(1), 100);
  m.SetPos(1, 150);
  EXPECT_EQ(m.Pos(1), 100);
  m.SetRange(1, 0, 200);
  m.SetPos(1, 150);
  EXPECT_EQ(m.Pos(1), 150);
  m.SetRange(1, 0, 120);  // the position follows a shrinking range
  EXPECT_EQ(m.Pos(1), 120);
  m.SetRange(1, 50, -10);  // given the wrong way round
  EXPECT_EQ(m.RangeMin(1), -10);
  EXPECT_EQ(m.RangeMax(1), 50);
  EXPECT_TRUE(m.UserMoveSlider(1, -99));
  EXPECT_EQ(m.Pos(1), -10);
  EXPECT_FALSE(m.SetTicFreq(1, 0));
}

// --- the dialog's life ---------------------------------------------------------------

TEST(DialogLife, PromptEndsWithItsOwnCodesAndReportsTheBox) {
  struct Row {
    const char* what;
    std::function<void(ui::OpenDialog&)> act;
    int result;
    std::vector<int> written;
  };
  const std::vector<Row> rows = {
      {"OK", [](ui::OpenDialog& d) { d.Click(IDOK); }, IDYES, {}},
      {"Enter", [](ui::OpenDialog& d) { d.PressEnter(); }, IDYES, {}},
      {"Cancel", [](ui::OpenDialog& d) { d.Click(IDCANCEL); }, IDNO, {}},
      {"close box", [](ui::OpenDialog& d) { d.Close(); }, IDNO, {}},
      {"clear then Cancel",
       [](ui::OpenDialog& d) {
         d.Click(1000);
         d.Click(IDCANCEL);
       },
       IDNO,
       {BST_UNCHECKED}},
      {"twice then OK",
       [](ui::OpenDialog& d) {
         d.Click(1000);
         d.Click(1000);
         d.Click(IDOK);
       },
       IDYES,
       {BST_UNCHECKED, BST_CHECKED}},
      {"nobody there", nullptr, IDNO, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Fixture f;
    PromptDlg dlg;
    if (row.act) {
      f.user.OnDialog(144, [&](ui::OpenDialog& d) {
        EXPECT_EQ(d.Title(), "Tandrix");
        EXPECT_TRUE(d.Centered());
        EXPECT_EQ(d.Check(1000), BST_CHECKED);
        row.act(d);
      });
    }
    EXPECT_EQ(dlg.DoModal(f.host), row.result);
    EXPECT_EQ(dlg.written, row.written);
    EXPECT_EQ(f.host.Beeps(), 1);
    ASSERT_EQ(f.host.Dialogs().size(), 1u);
    EXPECT_EQ(f.host.Dialogs()[0].unattended, row.act == nullptr);
    EXPECT_FALSE(dlg.IsOpen());
  }
}

TEST(DialogLife, EndingDuringInitialisationShowsNothing) {
  class Quick : public ui::CDialog {
   public:
    Quick() : CDialog(PromptTemplate()) {}
    bool OnInitDialog() override {
      EndDialog(2);
      return true;
    }
  };
  Fixture f;
  bool played = false;
  f.user.OnNextDialog([&](ui::OpenDialog&) { played = true; });
  Quick dlg;
  EXPECT_EQ(dlg.DoModal(f.host), 2);
  EXPECT_FALSE(played);
  EXPECT_EQ(f.user.PendingScripts(), 1u);  // kept for the next dialog
  EXPECT_EQ(f.host.Dialogs()[0].pictures.size(), 0u);
}

TEST(DialogLife, ADialogThatRefusesToCloseIsStillEndedWithoutAUser) {
  class Stubborn : public ui::CDialog {
   public:
    Stubborn() : CDialog(PromptTemplate()) {}
    void OnCancel() override {}
  };
  Fixture f;
  Stubborn dlg;
  EXPECT_EQ(dlg.DoModal(f.host), IDCANCEL);
  EXPECT_TRUE(f.host.Dialogs()[0].unattended);
}

TEST(DialogLife, DisabledCancelMakesTheCloseBoxDoNothing) {
  Fixture f;
  PromptDlg dlg;
  f.user.OnNextDialog([](ui::OpenDialog& d) {
    d.Model().Enable(IDCANCEL, false);
    EXPECT_FALSE(d.Close());
    EXPECT_FALSE(d.Click(IDCANCEL));
    EXPECT_FALSE(d.Ended());
    d.Click(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(f.host), IDYES);
}

TEST(DialogLife, NestedDialogsAndMessageBoxesFollowTheScriptInOrder) {
  class Outer : public ui::CDialog {
   public:
    Outer() : CDialog(SettingsTemplate()) {
      OnCommandId(kApply, [this] {
        PromptDlg inner;
        innerResult = inner.DoModal();
        answer = MessageBox("Do you want to save changes to Quake?", "Tandrix Customizer",
                            MB_YESNOCANCEL | MB_ICONQUESTION);
      });
    }
    int innerResult = 0;
    int answer = 0;
  };
  Fixture f;
  struct AppStub : ui::Application {
    explicit AppStub(ui::DialogHost& h) : host(h) {}
    ui::DialogHost& Dialogs() override { return host; }
    ui::TimerService& Timers() override { std::abort(); }
    ui::TrayHost& Tray() override { std::abort(); }
    int WatchDescriptor(int, std::function<void()>) override { return 0; }
    void UnwatchDescriptor(int) override {}
    void Post(std::function<void()>) override {}
    void OnTerminationSignal(std::function<void()>) override {}
    int Run() override { return 0; }
    void PostQuit(int) override {}
    bool ShowsDialogs() const override { return false; }
    ui::DialogHost& host;
  } app(f.host);
  Outer dlg;
  {
    const ui::ScopedApplication scoped(&app);
    f.user.OnDialog(900, [](ui::OpenDialog& d) {
      d.Click(kApply);
      EXPECT_FALSE(d.Ended());
      d.Click(IDCANCEL);
    });
    f.user.OnDialog(144, [](ui::OpenDialog& d) { d.Click(IDOK); });
    f.user.AnswerNextMessageBox(IDNO);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  }
  EXPECT_EQ(ui::GetApplication(), nullptr);  // put back when the scope ended
  EXPECT_EQ(dlg.innerResult, IDYES);
  EXPECT_EQ(dlg.answer, IDNO);
  EXPECT_EQ(f.user.DialogsOpened(), (std::vector<int>{900, 144}));
  ASSERT_EQ(f.user.MessageBoxes().size(), 1u);
  EXPECT_EQ(f.user.MessageBoxes()[0].caption, "Tandrix Customizer");
  EXPECT_TRUE(f.user.MessageBoxes()[0].scripted);
  EXPECT_EQ(f.host.OpenDialogs(), 0);
}

TEST(DialogLife, WithoutAnApplicationDoModalFails) {
  const ui::ScopedApplication none(nullptr);
  PromptDlg dlg;
  EXPECT_EQ(dlg.DoModal(), -1);
  // Control functions on a dialog that is not open do nothing.
  dlg.SetDlgItemText(1000, "x");
  EXPECT_EQ(dlg.GetDlgItemText(1000), "");
  EXPECT_EQ(dlg.GetDlgItem(IDOK).GetCount(), LB_ERR);
  EXPECT_EQ(dlg.MessageBox("lost"), 0);
}

TEST(DialogLife, ControlAccessByIdWhileOpen) {
  Fixture f;
  class Probe : public ui::CDialog {
   public:
    Probe() : CDialog(SettingsTemplate()) {}
    bool OnInitDialog() override {
      SetWindowText("Tandrix - Quake");
      SetDlgItemInt(kCount, -12);
      bool ok = false;
      count = GetDlgItemInt(kCount, &ok);
      countOk = ok;
      SetDlgItemText(kName, "abc");
      GetDlgItemInt(kName, &ok);
      nameOk = ok;
      CheckRadioButton(kVertical, kHorizontal, kVertical);
      checkedRadio = GetCheckedRadioButton(kVertical, kHorizontal);
      GetDlgItem(kApply).EnableWindow(false);
      GetDlgItem(kNotes).ShowWindow(SW_HIDE);
      GotoDlgCtrl(kName);
      return true;
    }
    int count = 0;
    bool countOk = false;
    bool nameOk = true;
    int checkedRadio = 0;
  } dlg;
  f.user.OnNextDialog([](ui::OpenDialog& d) {
    EXPECT_EQ(d.Title(), "Tandrix - Quake");
    EXPECT_FALSE(d.Enabled(kApply));
    EXPECT_FALSE(d.Click(kApply));
    EXPECT_FALSE(d.Visible(kNotes));
    EXPECT_FALSE(d.Type(kNotes, "x"));
    EXPECT_EQ(d.Model().FocusedControl(), kName);
    EXPECT_EQ(d.Check(kVertical), BST_CHECKED);
    EXPECT_EQ(d.Check(kHorizontal), BST_UNCHECKED);
    d.Close();
  });
  dlg.DoModal(f.host);
  EXPECT_EQ(dlg.count, -12);
  EXPECT_TRUE(dlg.countOk);
  EXPECT_FALSE(dlg.nameOk);
  EXPECT_EQ(dlg.checkedRadio, kVertical);
  EXPECT_EQ(f.host.Dialogs()[0].title, "Tandrix - Quake");
}

TEST(DialogLife, PaintDrawsPicturesWhenShownAndWhenInvalidated) {
  class Pictures : public ui::CDialog {
   public:
    Pictures() : CDialog(InstructionsTemplate()) {
      OnCommandId(1000, [this] {
        level = level == 137 ? 135 : 137;
        Invalidate();
      });
    }
    int level = 137;

   protected:
    void OnPaint(ui::PaintContext& dc) override {
      dc.DrawBitmap(level, 10, 40);
      dc.DrawBitmap(136, 215, 40);
    }
  };
  Fixture f;
  Pictures dlg;
  f.user.OnNextDialog([](ui::OpenDialog& d) {
    EXPECT_EQ(d.PaintCount(), 1);
    EXPECT_EQ(d.Pictures(), (std::vector<ui::DrawnPicture>{{137, 10, 40, false}, {136, 215, 40, false}}));
    d.Click(1000);
    EXPECT_EQ(d.PaintCount(), 2);
    EXPECT_EQ(d.Pictures()[0].id, 135);
    d.Click(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(f.host), IDOK);
  EXPECT_EQ(f.host.Dialogs()[0].pictures[0].id, 135);
}

TEST(DialogLife, PixelRectsComeFromTheBaseUnits) {
  Fixture f;
  f.host.SetBaseUnits({7, 15});
  PromptDlg dlg;
  f.user.OnNextDialog([](ui::OpenDialog& d) {
    // OK at 48,68 50x14 dialog units: x*7/4, y*15/8, rounded.
    EXPECT_EQ(d.PixelRect(IDOK), (ui::Rect{84, 128, 88, 26}));
    d.Close();
  });
  dlg.DoModal(f.host);
}

TEST(DialogLife, WaitCursorNestsAndRestores) {
  Fixture f;
  {
    ui::CWaitCursor outer(f.host);
    EXPECT_EQ(f.host.WaitCursorDepth(), 1);
    {
      ui::CWaitCursor inner(f.host);
      EXPECT_EQ(f.host.WaitCursorDepth(), 2);
    }
    outer.Restore();
    EXPECT_EQ(f.host.WaitCursorDepth(), 1);
  }
  EXPECT_EQ(f.host.WaitCursorDepth(), 0);
  EXPECT_EQ(f.host.WaitCursorShown(), 2);  // once, and again after Restore
}

}  // namespace

namespace {

// Sorted lists order by ASCII letters without case; other bytes compare as
// they are, whatever the locale says.
TEST(ListOrder, ComparesAsciiLettersOnly) {
  struct Row {
    const char* a;
    const char* b;
    int want;
  };
  const Row rows[] = {
      {"quake", "QUAKE", 0},   {"Blood", "descent", -1}, {"Duke", "duke3d", -1},
      {"_x", "a", -1},         // '_' sorts before letters once lowered
      {"\xc3\xa9", "\xc3\x89", 1},  // é and É: not ASCII, not folded
      {"", "", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.a) + " / " + row.b);
    EXPECT_EQ(ui::CompareItemText(row.a, row.b), row.want);
    EXPECT_EQ(ui::CompareItemText(row.b, row.a), -row.want);
  }
}

}  // namespace
