// A Tandmon on the test application: a product folder with three games, an
// in-memory joystick store, a scripted process list, a virtual clock, a fake
// tray and a scripted user. The instance channel lives in a runtime folder
// of the test's own, so no real monitor and no other test is reached.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes.h"
#include "joystick_store.h"
#include "monitor/app/resources.h"
#include "monitor/app/tandmon.h"
#include "monitor/gamelist.h"
#include "platform/dospath.h"
#include "platform/joystick.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "support/tempdir.h"
#include "tuning/mva_joystick.h"
#include "ui/headless/headless_app.h"

namespace apptest {

using montest::Crlf;

inline std::string Vcg(const std::string& name, const std::string& level,
                       const std::string& orientation) {
  return Crlf("; test configuration\nVERSION = 4.0\nAPPLICATION_NAME = " + name +
              "\nOWNER = USER\nTYPE = WINDOWS\nLEVEL = " + level + "\nORIENTATION = " +
              orientation + "\n\n[HARRIER_1]\n");
}

inline const char* kGamesIni =
    "[Game1]\nGameTitle=Quake\nGameExe=quake.exe\nGameVcg=quake.vcg\nNewGame=1\n"
    "Inst1=Push the ball to run.\nInst2=Twist it to turn.\nModify1=config.cfg joy joy=1\n"
    "[Game2]\nGameTitle=Racer\nGameExe=racer.exe\nGameVcg=racer.vcg\nNewGame=0\n"
    "[Game3]\nGameTitle=Puzzle\nGameExe=puzzle.exe\nGameVcg=puzzle.vcg\n";

class TandmonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("defaults/Joy3D.vcg", Vcg("Default 3D", "BEGINNER", "HORIZONTAL"));
    dir.Write("defaults/Joy2D.vcg", Vcg("Default 2D", "BEGINNER", "HORIZONTAL"));
    dir.Write("defaults/quake.vcg", Vcg("Quake", "BEGINNER", "HORIZONTAL"));
    dir.Write("defaults/racer.vcg", Vcg("Racer", "EXPERT", "ADVANCED"));
    dir.Write("games.ini", Crlf(kGamesIni));
    dir.Write("Tandmon.ini", Crlf("[Defaults]\nShowJoystick=1\nConfig=Joy3D.vcg\n"));
    dir.Write("games/quake/config.cfg", "name=player\r\njoy=0\r\n");
    work = platform::CurrentDirectory();
    quakeExe = work + "\\games\\quake\\quake.exe";

    store.emplace();
    joystick = store->joystick;
    ui::SetApplication(&app);
  }

  void TearDown() override {
    mon.reset();
    ui::SetApplication(nullptr);
    store.reset();
  }

  // A monitor started with this command line: true when it runs on.
  bool Start(const std::string& commandLine = "") {
    mon = std::make_unique<TandmonApp>(app);
    exitCode = -1;
    return mon->Start(commandLine, exitCode);
  }
  MonitorState& State() { return mon->State(); }

  // Binds joystick slot 1 to the driver, or takes the binding away (the
  // Tandrix is then not the selected joystick).
  static void Bind(bool bound) { montest::BindDriver(bound); }
  // The configuration file the driver was last given.
  static std::string LiveFile() { return montest::LiveConfigFile(); }
  static bool LiveIs(const std::string& relative) { return montest::LiveConfigIs(relative); }

  std::string Ini(const char* file, const char* section, const char* key) {
    return platform::GetPrivateProfileString(section, key, "", 260, file);
  }
  std::vector<std::string> LogLines() { return montest::Lines(dir.Read("error.log")); }
  int DialogsOpened(int templateId) {
    const auto& opened = app.User().DialogsOpened();
    return static_cast<int>(std::count(opened.begin(), opened.end(), templateId));
  }
  // Right-clicks the tray icon and picks command from the menu (0: none).
  void ChooseFromTrayMenu(int command) {
    app.User().ChooseFromNextMenu(command);
    ASSERT_TRUE(app.FakeTrayHost().RightClick(kTrayIconId));
    app.Pump();
  }
  // The tray icon shown, or 0.
  int TrayIcon() {
    auto icon = app.FakeTrayHost().Icon(kTrayIconId);
    return icon ? icon->iconId : 0;
  }

  testsupport::TempDir dir;
  testsupport::ScopedCwd cwd{dir.path()};
  testsupport::TempDir runtime;
  testsupport::ScopedEnv xdg{"XDG_RUNTIME_DIR", runtime.path().c_str()};
  testsupport::ScopedEnv windir{"TANDRIX_WINDIR", nullptr};
  montest::ScopedProcessDoubles procs;
  std::optional<montest::ScopedJoystickStore> store;
  platform::testing::RecordingJoystickService* joystick = nullptr;
  ui::headless::TestApplication app;
  std::unique_ptr<TandmonApp> mon;
  int exitCode = -1;
  std::string work, quakeExe;
};

}  // namespace apptest
