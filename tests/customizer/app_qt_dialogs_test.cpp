// The customizer's dialogs on the Qt front end (offscreen): their widgets
// and screenshots in build/screenshots.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>

#include "app_fixture.h"
#include "customizer/app/options_resources.h"
#include "platform/profile.h"
#include "ui/images.h"
#include "ui/qt/qt_app.h"
#include "ui/qt/qt_open_dialog.h"

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

using ui::OpenDialog;

const bool kOffscreen = (::setenv("QT_QPA_PLATFORM", "offscreen", 0), true);

ui::qt::QtApplication& QtApp() {
  static int argc = 1;
  static char name[] = "customizer_qt_tests";
  static char* argv[] = {name, nullptr};
  static auto* app = new ui::qt::QtApplication(argc, argv, &ui::ProgramImages());
  return *app;
}

std::string Screenshot(const std::string& name) {
  return std::string(TANDRIX_BINARY_DIR) + "/screenshots/chooser_" + name + ".png";
}

ui::qt::QtOpenDialog& Qt(OpenDialog& d) { return static_cast<ui::qt::QtOpenDialog&>(d); }

// Every label and button of the window shows its whole text.
void ExpectTextsFit(OpenDialog& d) {
  for (QLabel* label : Qt(d).Window()->findChildren<QLabel*>()) {
    if (label->wordWrap() || label->text().isEmpty()) continue;
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text().split('\n').first()),
              label->width() + 1)
        << label->text().toStdString();
  }
  for (QPushButton* button : Qt(d).Window()->findChildren<QPushButton*>()) {
    EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text().remove('&')),
              button->width() - 4)
        << button->text().toStdString();
  }
}

class ChooserQt : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kOffscreen);
    QtApp().SetUser(&user);
    ui::SetApplication(&QtApp());
    world.Install();
  }
  void TearDown() override {
    ui::SetApplication(nullptr);
    QtApp().SetUser(nullptr);
  }
  void Shoot(OpenDialog& d, const std::string& name) {
    ExpectTextsFit(d);
    EXPECT_TRUE(d.SaveScreenshot(Screenshot(name)));
  }

  custtest::ProductDir product;
  joytest::JoystickWorld world;
  ui::headless::ScriptedUser user;
};

TEST_F(ChooserQt, MainDialogAndTheDialogsItOpens) {
  platform::WritePrivateProfileString("Games", "Current", "quake.vcg", "Tandmon.ini");
  product.dir.Write("defaults/quake.vcg", product.dir.Read("games/quake.vcg"));
  CCustomizerDlg dlg;
  user.OnDialog(kIddCustomizer, [&](OpenDialog& d) {
    EXPECT_EQ(Qt(d).Window()->windowTitle(), "Customizer Utility V4.71");
    EXPECT_EQ(d.Text(kIdcDisplayName), "Quake");
    Shoot(d, "main");
    user.OnDialog(kIddGameType, [&](OpenDialog& t) {
      Shoot(t, "game_type");
      t.Click(kIdcDosGames);
    });
    user.OnDialog(kIddDosGameList, [&](OpenDialog& l) {
      EXPECT_EQ(l.Items(kIdcGameList),
                (std::vector<std::string>{"Descent", "Duke Nukem 3D", "Quake"}));
      l.SelectRow(kIdcGameList, 0);
      Shoot(l, "dos_games");
      l.Click(IDOK);
    });
    d.Click(kIdcSelectGame);
    EXPECT_EQ(d.Text(kIdcDisplayName), "Descent");
    user.OnDialog(kIddGameType, [&](OpenDialog& t) { t.Click(kIdcWin95Games); });
    user.OnDialog(kIddWinGameList, [&](OpenDialog& l) {
      Shoot(l, "windows_games");
      l.Click(IDCANCEL);
    });
    d.Click(kIdcSelectGame);
    user.OnDialog(kIddChampionInfo, [&](OpenDialog& c) {
      Shoot(c, "champion");
      c.Click(IDOK);
    });
    d.Click(kIdcChampion);
    d.Click(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(QtApp().Dialogs()), IDOK);
}

TEST_F(ChooserQt, MainDialogWithoutAConfiguration) {
  platform::WritePrivateProfileString("Games", "Current", "gone.vcg", "Tandmon.ini");
  CCustomizerDlg dlg;
  user.OnDialog(kIddCustomizer, [&](OpenDialog& d) {
    EXPECT_EQ(d.Text(kIdcDisplayName), "<none>");
    EXPECT_FALSE(Qt(d).Widget(kIdcSave)->isEnabled());
    Shoot(d, "main_none");
    d.Click(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(QtApp().Dialogs()), IDOK);
}

// The dialogs of the Button Functions button and the Options menu, opened
// from the main dialog as a user opens them.
TEST_F(ChooserQt, ButtonFunctionsAndTheOptionsMenu) {
  platform::WritePrivateProfileString("Games", "Current", "quake.vcg", "Tandmon.ini");
  product.dir.Write("defaults/quake.vcg", product.dir.Read("games/quake.vcg"));
  for (int n = 1; n <= 4; ++n) {
    world.SetText("hardware\\devicemap\\serialcomm", "COM" + std::to_string(n), "x");
  }
  CCustomizerDlg dlg;
  user.OnDialog(kIddCustomizer, [&](OpenDialog& d) {
    user.OnDialog(kIddButtonFunctions, [&](OpenDialog& b) {
      auto* f = qobject_cast<QComboBox*>(Qt(b).Widget(kIdcButtonA + 5));
      ASSERT_NE(f, nullptr);
      EXPECT_FALSE(f->isEditable());
      EXPECT_EQ(f->currentText(), "Swim Up");
      Shoot(b, "button_functions");
      b.Click(kIdcSetDefault);
      EXPECT_EQ(f->currentText(), "Strafe");
      b.Click(IDOK);
    });
    d.Click(kIdcButtonFunctions);
    EXPECT_EQ(dlg.Settings().currentButtons[5], 7);

    // The two radio groups stay apart on screen.
    user.OnDialog(kIddModes, [&](OpenDialog& m) {
      m.Click(kIdcModesFullFreedom);
      m.Click(kIdcModesVertical);
      EXPECT_TRUE(qobject_cast<QRadioButton*>(Qt(m).Widget(kIdcModesFullFreedom))->isChecked());
      Shoot(m, "modes");
      m.Click(IDOK);
    });
    d.ChooseMenu(kIdmOptionsModes);
    EXPECT_EQ(d.Check(kIdcVertical), BST_CHECKED);

    user.OnDialog(kIddJoystickSettings, [&](OpenDialog& j) {
      auto* port = qobject_cast<QComboBox*>(Qt(j).Widget(kIdcComPort));
      ASSERT_NE(port, nullptr);
      EXPECT_TRUE(port->isEditable());
      EXPECT_EQ(port->count(), 4);
      Shoot(j, "joystick_settings");
      j.SelectRow(kIdcComPort, 2);
      j.Type(kIdcAxisMap, "xYZRUV");
      j.Click(IDOK);
    });
    d.ChooseMenu(kIdmOptionsJoystick);

    user.OnDialog(kIddDefaultJoystick, [&](OpenDialog& j) {
      Shoot(j, "default_joystick");
      j.Click(kIdcGeneric);
      j.Click(IDOK);
    });
    d.ChooseMenu(kIdmOptionsDefaults);
    user.AnswerNextMessageBox(IDNO);  // the buttons changed: not saved
    d.Click(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(QtApp().Dialogs()), IDOK);
  EXPECT_EQ(user.PendingAnswers(), 0u);
  EXPECT_NE(product.dir.Read("games/duke3d.vcg").find("ORIENTATION = VERTICAL"), std::string::npos);
  EXPECT_EQ(world.Get(joytest::kDeviceKey, "Joystick1OEMConfiguration"), joytest::Oem("COM3", "xYZRUV"));
  EXPECT_EQ(platform::GetPrivateProfileString("Defaults", "Config", "", 260, "Tandmon.ini"),
            "Generic.vcg");
}

TEST_F(ChooserQt, Win95ButtonsNote) {
  platform::WritePrivateProfileString("Games", "Current", "Generic.vcg", "Tandmon.ini");
  CCustomizerDlg dlg;
  user.OnDialog(kIddCustomizer, [&](OpenDialog& d) {
    user.OnDialog(kIddWin95ButtonsNote, [&](OpenDialog& n) {
      Shoot(n, "win95_buttons_note");
      n.Click(IDOK);
    });
    d.Click(kIdcButtonFunctions);
    d.Click(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(QtApp().Dialogs()), IDOK);
}

}  // namespace
