// The watcher over the machine's real process list: a stand-in game is a
// copy of a small program named like a listed game.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "fakes.h"
#include "joystick_store.h"
#include "monitor/gamelist.h"
#include "monitor/monitor_state.h"
#include "monitor/watcher.h"
#include "platform/dospath.h"
#include "platform/joystick.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "support/procstat.h"
#include "support/tempdir.h"
#include "tuning/mva_joystick.h"

namespace {

using montest::Crlf;

using montest::LiveConfigFile;

using testsupport::ProcessStartTime;

TEST(RealProcesses, AStartedGameIsMadeLiveAndTheDefaultAfterIt) {
  testsupport::TempDir dir;
  testsupport::ScopedCwd cwd(dir.path());
  const std::string vcg = Crlf("VERSION = 4.0\nTYPE = DOS\nLEVEL = EXPERT\n[HARRIER_1]\n");
  dir.Write("defaults/Joy3D.vcg", vcg);
  dir.Write("defaults/quake.vcg", vcg);
  dir.Write("games.ini", Crlf("[Game1]\nGameTitle=Quake\nGameExe=quake.exe\nGameVcg=quake.vcg\n"));
  std::filesystem::create_directories(dir.Host("games/quake"));
  std::filesystem::copy_file("/bin/sleep", dir.Host("games/quake/quake.exe"));
  ::chmod(dir.Host("games/quake/quake.exe").c_str(), 0755);

  montest::ScopedJoystickStore store;

  montest::RecordingHost host;
  MonitorState state;
  state.host = &host;
  LoadGameList(state.games);
  LoadMonitorSettings(state);
  ASSERT_EQ(ActivateConfig(state, state.defaultConfigPath, ""), 0);

  std::uint32_t pid = 0;
  ASSERT_TRUE(platform::StartProcess("games\\quake\\quake.exe", "quake.exe 60", "games\\quake",
                                     &pid));
  const std::string expected = dir.Dos() + "\\games\\quake\\quake.exe";
  // Wait until the copy runs under its own name, then look at the list.
  bool listed = false;
  for (int i = 0; i < 300 && !listed; ++i) {
    auto snap = platform::CreateProcessSnapshot();
    ASSERT_NE(snap, nullptr);
    const auto& list = snap->Entries();
    for (std::size_t k = 0; k < list.size(); ++k) {
      if (list[k].processId != pid || list[k].exePath != expected) continue;
      listed = true;
      // The newest process is last: only programs that started after the
      // game (other work on this machine) may follow it.
      for (std::size_t later = k + 1; later < list.size(); ++later) {
        unsigned long long t = ProcessStartTime(list[later].processId);
        if (t != 0) {
          EXPECT_GE(t, ProcessStartTime(pid)) << list[later].exePath;
        }
      }
    }
    if (!listed) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(listed);

  EXPECT_EQ(WatchTick(state), 1);
  EXPECT_TRUE(montest::LiveConfigIs("defaults\\quake.vcg")) << LiveConfigFile();
  EXPECT_EQ(state.runningGameExe, "quake.exe");
  EXPECT_EQ(state.currentConfig, "quake.vcg");

  ASSERT_TRUE(platform::TerminateProcess(pid));
  for (int i = 0; i < 300 && platform::ProcessIsRunning(pid); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(WatchTick(state), 0);
  EXPECT_TRUE(montest::LiveConfigIs("defaults\\Joy3D.vcg")) << LiveConfigFile();
  EXPECT_EQ(state.runningGameExe, "");
  EXPECT_TRUE(dir.Exists("games/quake/tandrix.mrk"));
  EXPECT_EQ(host.killed.size(), 2u);
  EXPECT_EQ(host.sets, 2);
}

}  // namespace
