// The installation's own games.ini and Tandmon.ini with the stock
// configurations: what a fresh product directory does when a game starts.
#include <gtest/gtest.h>

#include <filesystem>

#include "fakes.h"
#include "joystick_store.h"
#include "monitor/gamelist.h"
#include "monitor/monitor_state.h"
#include "monitor/watcher.h"
#include "platform/dospath.h"
#include "platform/joystick.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "support/tempdir.h"
#include "tuning/mva_joystick.h"

namespace {

using montest::LiveConfigFile;

TEST(ProductFiles, StockGamesAreMadeLiveFromTheirOwnFolder) {
  const std::filesystem::path product = TANDRIX_PRODUCT_DIR;
  for (const char* needed : {"games.ini", "Tandmon.ini", "defaults/Joy3D.vcg", "games/quake.vcg",
                             "games/duke3d.vcg"}) {
    if (!std::filesystem::exists(product / needed)) GTEST_SKIP() << needed << " not there yet";
  }
  testsupport::TempDir dir;
  std::filesystem::copy(product, dir.path(), std::filesystem::copy_options::recursive);
  testsupport::ScopedCwd cwd(dir.path());
  std::filesystem::create_directories(dir.Host("installed"));

  montest::ScopedJoystickStore store;
  montest::ScopedProcessDoubles procs;
  montest::RecordingHost host;

  MonitorState state;
  state.host = &host;
  LoadGameList(state.games);
  LoadMonitorSettings(state);
  ASSERT_GE(state.games.size(), 3u);
  EXPECT_EQ(state.defaultConfigPath, "defaults\\Joy3D.vcg");
  EXPECT_EQ(ActivateConfig(state, state.defaultConfigPath, ""), 0);

  struct Case {
    const char* exe;
    const char* config;   // currentConfig while it runs; null: not handled
  };
  const Case cases[] = {{"quake.exe", "quake.vcg"}, {"duke3d.exe", "duke3d.vcg"},
                        {"cards.exe", nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exe);
    host.instructions.clear();
    procs.lister.paths = {"Z:\\usr\\bin\\bash", dir.Dos() + "\\installed\\" + c.exe};
    EXPECT_EQ(WatchTick(state), c.config ? 1 : 0);
    EXPECT_EQ(state.currentConfig, c.config ? c.config : "defaults\\Joy3D.vcg");
    // The player's folder of the stock settings is the games folder.
    std::string live = platform::ToLowerAscii(LiveConfigFile());
    std::string want = c.config ? std::string("\\games\\") + c.config : "\\defaults\\joy3d.vcg";
    EXPECT_EQ(live.substr(live.size() - std::min(live.size(), want.size())), want);
    // Each stock game has instructions, shown at every start.
    ASSERT_EQ(host.instructions.size(), c.config ? 1u : 0u);
    if (c.config) {
      std::string section = "Game" + std::to_string(host.instructions[0] + 1);
      EXPECT_FALSE(platform::GetPrivateProfileString(section, "Inst1", "", 500, "games.ini").empty());
    }
    procs.lister.paths = {"Z:\\usr\\bin\\bash"};
    EXPECT_EQ(WatchTick(state), 0);
    EXPECT_EQ(state.currentConfig, "defaults\\Joy3D.vcg");
  }
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
