// Tandmon's dialogs on the Qt front end (offscreen): built from their
// templates, clicked through their widgets, photographed into
// build/screenshots.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "app_fixture.h"
#include "monitor/app/dialogs.h"
#include "ui/images.h"
#include "ui/qt/qt_app.h"
#include "ui/qt/qt_open_dialog.h"

// The font library keeps a little memory to the end on purpose; under the
// leak checker that is not ours to report.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

using apptest::Crlf;
using apptest::Vcg;

// Set before any Qt object exists; a caller's own choice wins.
const bool kOffscreen = (::setenv("QT_QPA_PLATFORM", "offscreen", 0), true);

ui::qt::QtApplication& QtApp() {
  static int argc = 1;
  static char name[] = "monitor_qt_tests";
  static char* argv[] = {name, nullptr};
  static auto* app = new ui::qt::QtApplication(argc, argv, &ui::ProgramImages());
  return *app;
}

std::string Screenshot(const std::string& name) {
  return std::string(TANDRIX_BINARY_DIR) + "/screenshots/tandmon_" + name + ".png";
}

ui::qt::QtOpenDialog& Qt(ui::OpenDialog& d) { return static_cast<ui::qt::QtOpenDialog&>(d); }
template <typename W>
W* Widget(ui::OpenDialog& d, int id) {
  return qobject_cast<W*>(Qt(d).Widget(id));
}
std::vector<QString> LabelTexts(ui::OpenDialog& d) {
  std::vector<QString> texts;
  for (QLabel* label : Qt(d).Window()->findChildren<QLabel*>()) texts.push_back(label->text());
  return texts;
}
bool HasLabel(ui::OpenDialog& d, const QString& text) {
  for (const QString& t : LabelTexts(d)) {
    if (t == text) return true;
  }
  return false;
}

class TandmonQt : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kOffscreen);
    QtApp().SetUser(&user);
    ui::SetApplication(&QtApp());
    dir.Write("defaults/Joy3D.vcg", Vcg("Default 3D", "BEGINNER", "HORIZONTAL"));
    dir.Write("defaults/quake.vcg", Vcg("Quake", "INTERMEDIATE", "VERTICAL"));
    dir.Write("games.ini", Crlf(apptest::kGamesIni));
    dir.Write("Tandmon.ini", Crlf("[Defaults]\nShowJoystick=1\nConfig=Joy3D.vcg\n"));
    LoadGameList(state.games);
    LoadMonitorSettings(state);
  }
  void TearDown() override {
    ui::SetApplication(nullptr);
    QtApp().SetUser(nullptr);
  }
  std::string Ini(const char* file, const char* section, const char* key) {
    return platform::GetPrivateProfileString(section, key, "", 260, file);
  }

  testsupport::TempDir dir;
  testsupport::ScopedCwd cwd{dir.path()};
  ui::headless::ScriptedUser user;
  MonitorState state;
};

TEST_F(TandmonQt, InstructionsDialogShowsTheGameAndWritesNewGame) {
  CInstructionsDlg dlg(state, 0);
  std::vector<Qt::CheckState> states;
  std::vector<std::string> written;
  user.OnDialog(kIddInstructions, [&](ui::OpenDialog& d) {
    QDialog* w = Qt(d).Window();
    EXPECT_EQ(w->windowTitle(), "Tandrix - Quake");
    EXPECT_EQ(w->width(), ui::MulDiv(221, d.Units().x, 4));
    EXPECT_EQ(w->height(), ui::MulDiv(218, d.Units().y, 8));
    EXPECT_EQ(Widget<QLabel>(d, kIdcLevelName)->text(), "Full Freedom");
    EXPECT_EQ(Widget<QLabel>(d, kIdcOrientationName)->text(), "Vertical");
    EXPECT_TRUE(HasLabel(d, "Skill Level:"));
    EXPECT_TRUE(HasLabel(d, "Special Game Instructions"));
    auto* text = Widget<QPlainTextEdit>(d, kIdcInstructions);
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->toPlainText(), "Push the ball to run.\nTwist it to turn.\n");
    auto* box = Widget<QCheckBox>(d, kIdcShowCheck);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Show Instructions at startup");
    EXPECT_TRUE(box->isTristate());
    states.push_back(box->checkState());
    EXPECT_TRUE(Widget<QPushButton>(d, IDOK)->isDefault());
    ASSERT_TRUE(d.SaveScreenshot(Screenshot("instructions")));
    EXPECT_EQ(d.Pictures(), (std::vector<ui::DrawnPicture>{{134, 10, 40, false}, {133, 215, 40, false}}));
    EXPECT_TRUE(d.Click(kIdcShowCheck));
    states.push_back(box->checkState());
    written.push_back(Ini("games.ini", "Game1", "NewGame"));
    EXPECT_TRUE(d.Click(kIdcShowCheck));
    states.push_back(box->checkState());
    written.push_back(Ini("games.ini", "Game1", "NewGame"));
    EXPECT_TRUE(d.Click(IDOK));
  });
  EXPECT_EQ(dlg.DoModal(QtApp().Dialogs()), 2);
  EXPECT_EQ(states, (std::vector<Qt::CheckState>{Qt::Checked, Qt::PartiallyChecked, Qt::Unchecked}));
  EXPECT_EQ(written, (std::vector<std::string>{"2", "0"}));
  EXPECT_EQ(state.games.entries[0]->newGame, 0);
  QImage shot(QString::fromStdString(Screenshot("instructions")));
  ASSERT_FALSE(shot.isNull());
  // The pictures are painted: the level picture's area is not plain
  // background.
  const QColor background = shot.pixelColor(shot.width() - 3, shot.height() - 3);
  int differing = 0;
  for (int y = 45; y < 105; y += 5) {
    for (int x = 15; x < 100; x += 5) differing += shot.pixelColor(x, y) != background ? 1 : 0;
  }
  EXPECT_GT(differing, 20);
}

TEST_F(TandmonQt, JoystickPromptIsCentredAndItsCheckBoxWritesShowJoystick) {
  struct Row {
    const char* what;
    std::vector<int> clicks;
    int result;
    const char* showJoystick;
  };
  const Row rows[] = {
      {"OK", {IDOK}, IDYES, "1"},
      {"cleared, Cancel", {kIdcShowCheck, IDCANCEL}, IDNO, "0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    CJoystickPromptDlg dlg(state);
    user.OnDialog(kIddJoystickPrompt, [&](ui::OpenDialog& d) {
      QDialog* w = Qt(d).Window();
      EXPECT_EQ(w->windowTitle(), "Tandrix");
      EXPECT_TRUE(d.Centered());
      const QRect screen = QApplication::primaryScreen()->geometry();
      // Centred, give or take the rounding of odd sizes.
      EXPECT_NEAR(w->geometry().center().x(), screen.center().x(), 4);
      EXPECT_NEAR(w->geometry().center().y(), screen.center().y(), 4);
      EXPECT_TRUE(HasLabel(d, "The Tandrix is not selected as your current Joystick. Would you "
                              "like to see the Joystick Control Panel?"));
      auto* box = Widget<QCheckBox>(d, kIdcShowCheck);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->checkState(), Qt::Checked);
      EXPECT_EQ(Widget<QPushButton>(d, IDCANCEL)->text(), "Cancel");
      for (int id : row.clicks) {
        if (id == IDCANCEL) {
          ASSERT_TRUE(d.SaveScreenshot(Screenshot("joystick_prompt")));
        }
        EXPECT_TRUE(d.Click(id));
      }
    });
    EXPECT_EQ(dlg.DoModal(QtApp().Dialogs()), row.result);
    EXPECT_EQ(Ini("Tandmon.ini", "Defaults", "ShowJoystick"), row.showJoystick);
    EXPECT_EQ(state.showJoystick, std::atoi(row.showJoystick));
  }
  EXPECT_FALSE(QImage(QString::fromStdString(Screenshot("joystick_prompt"))).isNull());
}

// A person using an assistive technology clears the box with its toggle
// (or press) action instead of the mouse: the dialog hears it the same way.
TEST_F(TandmonQt, JoystickPromptCheckBoxThroughItsAccessibleAction) {
  for (const QString& action :
       {QAccessibleActionInterface::toggleAction(), QAccessibleActionInterface::pressAction()}) {
    SCOPED_TRACE(action.toStdString());
    dir.Write("Tandmon.ini", Crlf("[Defaults]\nShowJoystick=1\nConfig=Joy3D.vcg\n"));
    state.showJoystick = 1;
    CJoystickPromptDlg dlg(state);
    user.OnDialog(kIddJoystickPrompt, [&](ui::OpenDialog& d) {
      auto* box = Widget<QCheckBox>(d, kIdcShowCheck);
      ASSERT_NE(box, nullptr);
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(box);
      ASSERT_NE(a, nullptr);
      EXPECT_EQ(a->text(QAccessible::Name), "Show this message next time.");
      ASSERT_NE(a->actionInterface(), nullptr);
      a->actionInterface()->doAction(action);
      // A press is played as a short animated click.
      for (int i = 0; i < 50 && d.Check(kIdcShowCheck) != BST_UNCHECKED; ++i) {
        QTest::qWait(10);
      }
      EXPECT_EQ(box->checkState(), Qt::Unchecked);
      EXPECT_TRUE(d.Click(IDOK));
    });
    EXPECT_EQ(dlg.DoModal(QtApp().Dialogs()), IDYES);
    EXPECT_EQ(Ini("Tandmon.ini", "Defaults", "ShowJoystick"), "0");
    EXPECT_EQ(state.showJoystick, 0);
  }
}

// The About box as the running monitor opens it from its menu command.
TEST_F(TandmonQt, AboutBoxFromTheMonitorsMenuCommand) {
  ui::qt::QtApplication& app = QtApp();
  auto monitor = std::make_unique<TandmonApp>(app);
  testsupport::TempDir runtime;
  testsupport::ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.path().c_str());
  platform::SetSystemRegistry(platform::NewMemoryRegistry());
  int code = -1;
  ASSERT_TRUE(monitor->Start("", code));
  bool shown = false;
  user.OnDialog(kIddAbout, [&](ui::OpenDialog& d) {
    shown = true;
    QDialog* w = Qt(d).Window();
    EXPECT_EQ(w->windowTitle(), "About Tandrix Monitor");
    EXPECT_TRUE(HasLabel(d, "Tandrix Game Monitor v4.71."));
    EXPECT_TRUE(monitor->State().aboutOpen);
    ASSERT_TRUE(d.SaveScreenshot(Screenshot("about")));
    EXPECT_TRUE(d.Click(IDOK));
  });
  monitor->Window().SendMessage(WM_COMMAND, kIdmAbout);
  EXPECT_TRUE(shown);
  EXPECT_FALSE(monitor->State().aboutOpen);

  // Exit ends the Qt loop with 0.
  QTimer::singleShot(0, [&] { monitor->Window().SendMessage(WM_COMMAND, kIdmExit); });
  EXPECT_EQ(app.Run(), 0);
  EXPECT_FALSE(monitor->Window().IsWindow());
  monitor.reset();
  platform::SetSystemRegistry(nullptr);
  QImage shot(QString::fromStdString(Screenshot("about")));
  ASSERT_FALSE(shot.isNull());
}

}  // namespace
