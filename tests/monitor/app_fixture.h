// A Tandmon on the test application: a product folder with three games, an
// in-memory joystick store, a scripted process list, a virtual clock, a fake
// tray and a scripted user. The instance channel lives in a runtime folder
// of the test's own, so no real monitor and no other test is reached.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fakes.h"
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

    platform::SetSystemRegistry(platform::NewMemoryRegistry());
    Bind(true);
    auto service = std::make_unique<platform::testing::RecordingJoystickService>();
    joystick = service.get();
    oldService = platform::SetJoystickService(std::move(service));
    ui::SetApplication(&app);
  }

  void TearDown() override {
    mon.reset();
    ui::SetApplication(nullptr);
    platform::SetJoystickService(std::move(oldService));
    platform::SetSystemRegistry(nullptr);
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
  void Bind(bool bound) {
    auto& reg = platform::SystemRegistry();
    platform::ScopedKey key(reg);
    std::string path = std::string(kMvaJoystickRoot) + "\\" +
                       std::string(platform::kDefaultJoystickDriverKey) + "\\" +
                       std::string(kMvaCurrentSettingsSubkey);
    ASSERT_EQ(reg.CreateKey(platform::kHKeyLocalMachine, path, key.handle()), platform::kRegOk);
    if (bound) {
      reg.SetString(key.get(), "Joystick1OEMCallout", kMvaDriverName);
    } else {
      reg.DeleteValue(key.get(), "Joystick1OEMCallout");
    }
  }

  // The configuration file the driver was last given.
  std::string LiveFile() {
    auto& reg = platform::SystemRegistry();
    platform::ScopedKey key(reg);
    std::string path = std::string(kMvaJoystickRoot) + "\\" +
                       std::string(platform::kDefaultJoystickDriverKey) + "\\" +
                       std::string(kMvaDeviceSubkey);
    if (reg.OpenKey(platform::kHKeyLocalMachine, path, key.handle()) != platform::kRegOk) return {};
    platform::RegValue v;
    if (reg.QueryValue(key.get(), "Joy1ConfigurationFile", v) != platform::kRegOk) return {};
    std::string text(v.data.begin(), v.data.end());
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }
  bool LiveIs(const std::string& relative) {
    std::string live = platform::ToLowerAscii(LiveFile());
    std::string want = platform::ToLowerAscii("\\" + relative);
    return live.size() >= want.size() &&
           live.compare(live.size() - want.size(), want.size(), want) == 0;
  }

  std::string Ini(const char* file, const char* section, const char* key) {
    return platform::GetPrivateProfileString(section, key, "", 260, file);
  }
  std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::string log = dir.Read("error.log"), line;
    for (char c : log) {
      if (c == '\n') {
        lines.push_back(line);
        line.clear();
      } else if (c != '\r') {
        line += c;
      }
    }
    return lines;
  }
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
  platform::testing::RecordingJoystickService* joystick = nullptr;
  std::unique_ptr<platform::JoystickService> oldService;
  ui::headless::TestApplication app;
  std::unique_ptr<TandmonApp> mon;
  int exitCode = -1;
  std::string work, quakeExe;
};

}  // namespace apptest
