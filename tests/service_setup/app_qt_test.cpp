// svcsetup's dialogs on the Qt front end (offscreen): built from their
// templates, clicked through their widgets, photographed into
// build/screenshots.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>

#include "platform/process.h"
#include "service_fixture.h"
#include "service_setup/app/resources.h"
#include "service_setup/app/svcsetup.h"
#include "ui/images.h"
#include "ui/qt/qt_app.h"
#include "ui/qt/qt_open_dialog.h"

// The font library keeps a little memory to the end on purpose; under the
// leak checker that is not ours to report.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

// Set before any Qt object exists; a caller's own choice wins.
const bool kOffscreen = (::setenv("QT_QPA_PLATFORM", "offscreen", 0), true);

ui::qt::QtApplication& QtApp() {
  static int argc = 1;
  static char name[] = "service_setup_qt_tests";
  static char* argv[] = {name, nullptr};
  static auto* app = new ui::qt::QtApplication(argc, argv, &ui::ProgramImages());
  return *app;
}

std::string Screenshot(const std::string& name) {
  return std::string(TANDRIX_BINARY_DIR) + "/screenshots/svcsetup_" + name + ".png";
}

ui::qt::QtOpenDialog& Qt(ui::OpenDialog& d) { return static_cast<ui::qt::QtOpenDialog&>(d); }
template <typename W>
W* Widget(ui::OpenDialog& d, int id) {
  return qobject_cast<W*>(Qt(d).Widget(id));
}

// The share of sampled pixels in a rectangle that differ from the
// background: a painted picture shows many.
int Painted(const QImage& shot, QRect area) {
  const QColor background = shot.pixelColor(shot.width() - 3, shot.height() - 3);
  int differing = 0;
  for (int y = area.top(); y < area.bottom(); y += 4) {
    for (int x = area.left(); x < area.right(); x += 4) {
      differing += shot.pixelColor(x, y) != background ? 1 : 0;
    }
  }
  return differing;
}

class SvcsetupQt : public svctest::ServiceFolders {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kOffscreen);
    ServiceFolders::SetUp();
    QtApp().SetUser(&user);
    ui::SetApplication(&QtApp());
  }
  void TearDown() override {
    ui::SetApplication(nullptr);
    QtApp().SetUser(nullptr);
  }
  int Run(const std::string& commandLine) {
    return RunServiceSetup(QtApp(), commandLine, true, platform::ProgramPath());
  }

  ui::headless::ScriptedUser user;
};

TEST_F(SvcsetupQt, TheMainDialogForEachServiceAndItsPicture) {
  struct Case {
    const char* commandLine;
    const char* shot;
    int choose;
    bool duke, quake, descent;
    const char* service;
  } cases[] = {
      {"1 ten.exe", "main_ten", kIdcDuke, true, true, false, "TEN"},
      {"1 ewrap.exe", "main_engage", kIdcDescent, false, false, true, "ENGAGE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commandLine);
    bool shown = false;
    user.OnDialog(kIddServiceSetup, [&](ui::OpenDialog& d) {
      shown = true;
      QDialog* w = Qt(d).Window();
      EXPECT_EQ(w->windowTitle(), "Game Service Setup");
      EXPECT_EQ(w->width(), ui::MulDiv(265, d.Units().x, 4));
      EXPECT_EQ(w->height(), ui::MulDiv(209, d.Units().y, 8));
      EXPECT_FALSE(w->windowIcon().isNull());
      EXPECT_EQ(Widget<QLabel>(d, kIdcServiceName)->text(), c.service);
      EXPECT_EQ(Widget<QRadioButton>(d, kIdcDuke)->isEnabled(), c.duke);
      EXPECT_EQ(Widget<QRadioButton>(d, kIdcQuake)->isEnabled(), c.quake);
      EXPECT_EQ(Widget<QRadioButton>(d, kIdcDescent)->isEnabled(), c.descent);
      auto* ok = Widget<QPushButton>(d, IDOK);
      ASSERT_NE(ok, nullptr);
      EXPECT_TRUE(ok->isDefault());
      EXPECT_FALSE(ok->isEnabled());
      EXPECT_TRUE(d.Click(c.choose));
      EXPECT_TRUE(ok->isEnabled());
      EXPECT_FALSE(Widget<QLineEdit>(d, kIdcGamePath)->text().isEmpty());
      ASSERT_TRUE(d.SaveScreenshot(Screenshot(c.shot)));
      EXPECT_TRUE(d.Click(IDCANCEL));
    });
    EXPECT_EQ(Run(c.commandLine), 0);
    EXPECT_TRUE(shown);
    QImage shot(QString::fromStdString(Screenshot(c.shot)));
    ASSERT_FALSE(shot.isNull());
    // Bitmap 146 is drawn at the top left: 96 by 68 pixels of picture.
    EXPECT_GT(Painted(shot, QRect(14, 14, 80, 56)), 150);
  }
  EXPECT_EQ(Ini(), "");
}

TEST_F(SvcsetupQt, TheAboutBoxFromTheSystemMenu) {
  bool about = false;
  user.OnDialog(kIddServiceSetup, [&](ui::OpenDialog& d) {
    EXPECT_TRUE(d.ChooseSystemMenu(kIdmAboutBox));
    d.Close();
  });
  user.OnDialog(kIddAboutBox, [&](ui::OpenDialog& d) {
    about = true;
    EXPECT_EQ(Qt(d).Window()->windowTitle(), "About svcsetup");
    bool version = false;
    for (QLabel* label : Qt(d).Window()->findChildren<QLabel*>()) {
      version = version || label->text() == "svcsetup Version 1.0";
    }
    EXPECT_TRUE(version);
    ASSERT_TRUE(d.SaveScreenshot(Screenshot("about")));
    EXPECT_TRUE(d.Click(IDOK));
  });
  EXPECT_EQ(Run("1 ten.exe"), 0);
  EXPECT_TRUE(about);
}

}  // namespace
