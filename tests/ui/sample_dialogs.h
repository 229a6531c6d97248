// Dialogs the ui tests play on either host, built from the sample templates.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sample_templates.h"
#include "ui/dialog.h"
#include "ui/menu.h"
#include "ui/open_dialog.h"

namespace uitest {

// The joystick prompt's behaviour, built on the framework: it starts
// centred with its box ticked, beeps, answers IDYES / IDNO and records
// every click of the box.
class PromptDlg : public ui::CDialog {
 public:
  PromptDlg() : CDialog(PromptTemplate()) {
    OnCommandId(1000, [this] { written.push_back(IsDlgButtonChecked(1000)); });
  }
  std::vector<int> written;

 protected:
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    CenterWindow();
    CheckDlgButton(1000, BST_CHECKED);
    MessageBeep(MB_OK);
    return true;
  }
  void OnOK() override { EndDialog(IDYES); }
  void OnCancel() override { EndDialog(IDNO); }
};

}  // namespace uitest

namespace uitest {

// A main window with a menu bar, its icon, a system menu entry, a typed
// combo box, a picture, a sorted list with item data and a track bar. It
// logs every command it hears as "id:code" (menu and system commands as
// "menu:id" and "sys:id").
class SampleDlg : public ui::CDialog {
 public:
  SampleDlg() : CDialog(SampleTemplate()) {
    OnCommandId(kMenuModes, [this] { log.push_back("menu:" + std::to_string(kMenuModes)); });
    OnCommandId(kMenuExit, [this] { EndDialog(IDCANCEL); });
    OnCommandId(kGameList, [this] {
      if (UpdateData(true)) EndDialog(IDOK);
    }, LBN_DBLCLK);
  }
  std::string port = "COM2";
  std::intptr_t game = 0;
  int speed = 100;
  std::string path;
  std::vector<std::string> log;

 protected:
  bool OnInitDialog() override {
    SetIcon(kSampleIcon, true);
    SetIcon(kSampleIcon, false);
    if (ui::Menu* sys = GetSystemMenu(false)) {
      sys->AppendMenu(MF_SEPARATOR);
      sys->AppendMenu(MF_STRING, kSysAbout, "&About sample...");
    }
    for (const char* p : {"COM3", "COM1", "COM4", "COM2"}) GetDlgItem(kComPort).AddString(p);
    const std::pair<const char*, std::intptr_t> games[] = {{"Quake", 2}, {"Descent", 3}, {"Duke", 1}};
    for (const auto& [text, data] : games) {
      GetDlgItem(kGameList).SetItemData(GetDlgItem(kGameList).AddString(text), data);
    }
    GetDlgItem(kSensitivity).SetRange(0, 200);
    GetDlgItem(kDescent).EnableWindow(false);
    SetDlgItemText(kStatus, "Choose a game.");
    return CDialog::OnInitDialog();
  }
  void DoDataExchange(ui::CDataExchange* pDX) override {
    ui::DDX_CBString(pDX, kComPort, port);
    ui::DDX_LBItemData(pDX, kGameList, game);
    ui::DDX_Slider(pDX, kSensitivity, speed);
    ui::DDX_Text(pDX, kGamePath, path);
  }
  void OnCommand(int id, int code) override {
    if (id != kMenuModes) log.push_back(std::to_string(id) + ":" + std::to_string(code));
    CDialog::OnCommand(id, code);
  }
  void OnSysCommand(int id) override {
    log.push_back("sys:" + std::to_string(id));
    CDialog::OnSysCommand(id);
  }
};

}  // namespace uitest

namespace uitest {

// One thing a person does in the sample dialog, and what it must lead to.
struct SampleStep {
  const char* what;
  std::function<bool(ui::OpenDialog&)> act;
  bool taken;  // whether the dialog accepts the action
  std::function<void(ui::OpenDialog&)> check;
};

// The same walk through the sample dialog on every host; it ends with a
// double click on "Quake" that closes the dialog with IDOK.
inline std::vector<SampleStep> SampleSteps() {
  using D = ui::OpenDialog;
  return {
      {"opens with its icons, menu bar and picture", [](D&) { return true; }, true,
       [](D& d) {
         EXPECT_EQ(d.IconId(true), kSampleIcon);
         EXPECT_EQ(d.IconId(false), kSampleIcon);
         ASSERT_NE(d.MenuBar(), nullptr);
         EXPECT_EQ(d.MenuBar()->ItemText(1), "&Options");
         EXPECT_EQ(d.ImageId(kPicture), kSampleBitmap);
         EXPECT_EQ(d.Items(kComPort), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4"}));
         EXPECT_EQ(d.Text(kComPort), "COM2");
         EXPECT_EQ(d.Items(kGameList), (std::vector<std::string>{"Descent", "Duke", "Quake"}));
         EXPECT_EQ(d.Text(kStatus), "Choose a game.");
       }},
      {"Options > Modes reaches the command table", [](D& d) { return d.ChooseMenu(kMenuModes); },
       true, [](D& d) { EXPECT_FALSE(d.Ended()); }},
      {"a command no menu holds is refused", [](D& d) { return d.ChooseMenu(4242); }, false, nullptr},
      {"the system menu's About entry", [](D& d) { return d.ChooseSystemMenu(kSysAbout); }, true,
       [](D& d) { EXPECT_FALSE(d.Ended()); }},
      {"the disabled radio button takes no click", [](D& d) { return d.Click(kDescent); }, false,
       [](D& d) { EXPECT_EQ(d.Check(kDescent), BST_UNCHECKED); }},
      {"an enabled one in the same group does", [](D& d) { return d.Click(kQuake); }, true,
       [](D& d) {
         EXPECT_EQ(d.Check(kQuake), BST_CHECKED);
         EXPECT_FALSE(d.Enabled(kDescent));
       }},
      {"a port typed into the combo box", [](D& d) { return d.Type(kComPort, "COM7"); }, true,
       [](D& d) {
         EXPECT_EQ(d.Text(kComPort), "COM7");
         EXPECT_EQ(d.Selection(kComPort), -1);
       }},
      {"a path typed into the edit", [](D& d) { return d.Type(kGamePath, "C:\\quake\\quake.exe"); },
       true, [](D& d) { EXPECT_EQ(d.Text(kGamePath), "C:\\quake\\quake.exe"); }},
      {"the slider moved", [](D& d) { return d.MoveSlider(kSensitivity, 150); }, true,
       [](D& d) { EXPECT_EQ(d.SliderPos(kSensitivity), 150); }},
      {"a double click on Quake ends the dialog", [](D& d) { return d.DoubleClickRow(kGameList, 2); },
       true, [](D& d) { EXPECT_EQ(d.Result(), IDOK); }},
  };
}

// What the sample dialog heard and kept after SampleSteps.
inline void ExpectSampleOutcome(const SampleDlg& dlg, int result) {
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dlg.port, "COM7");
  EXPECT_EQ(dlg.game, 2);
  EXPECT_EQ(dlg.speed, 150);
  EXPECT_EQ(dlg.path, "C:\\quake\\quake.exe");
  const std::vector<std::string> heard = {
      "menu:32776",
      "sys:16",
      std::to_string(kQuake) + ":" + std::to_string(BN_CLICKED),
      std::to_string(kComPort) + ":" + std::to_string(CBN_EDITCHANGE),
      std::to_string(kGamePath) + ":" + std::to_string(EN_CHANGE),
      std::to_string(kSensitivity) + ":" + std::to_string(TB_ENDTRACK),
      std::to_string(kGameList) + ":" + std::to_string(LBN_SELCHANGE),
      std::to_string(kGameList) + ":" + std::to_string(LBN_DBLCLK),
  };
  EXPECT_EQ(dlg.log, heard);
}

// Plays the steps; a screenshot is taken after the last one that leaves
// the dialog open.
inline void PlaySampleSteps(ui::OpenDialog& d, const std::string& screenshot = {}) {
  for (const SampleStep& step : SampleSteps()) {
    SCOPED_TRACE(step.what);
    if (!screenshot.empty() && std::string(step.what).find("double click") != std::string::npos) {
      EXPECT_TRUE(d.SaveScreenshot(screenshot));
    }
    EXPECT_EQ(step.act(d), step.taken);
    if (step.check) step.check(d);
  }
}

}  // namespace uitest
