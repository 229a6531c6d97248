#include "monitor/watcher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <functional>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "fakes.h"
#include "joystick_store.h"
#include "monitor/gamelist.h"
#include "monitor/logerror.h"
#include "monitor/monitor_state.h"
#include "monitor/strings.h"
#include "platform/dospath.h"
#include "platform/fileops.h"
#include "platform/joystick.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "support/tempdir.h"
#include "tuning/mva_joystick.h"

namespace {

using montest::Crlf;
using testsupport::ScopedCwd;
using testsupport::ScopedEnv;
using testsupport::TempDir;

std::string Vcg(const std::string& type, const std::string& name) {
  std::string text = "; test configuration\nVERSION = 4.0\n";
  if (!name.empty()) text += "APPLICATION_NAME = " + name + "\n";
  text += "OWNER = USER\nTYPE = " + type +
          "\nLEVEL = BEGINNER\nORIENTATION = HORIZONTAL\n\n[HARRIER_1]\n";
  return Crlf(text);
}

// A product directory, a joystick store and the doubles every tick needs.
class WatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("defaults/Joy3D.vcg", Vcg("WINDOWS", "Default 3D"));
    dir.Write("defaults/Joy2D.vcg", Vcg("WINDOWS", "Default 2D"));
    dir.Write("defaults/quake.vcg", Vcg("DOS", "Quake"));
    dir.Write("ann/quake.vcg", Vcg("DOS", "Quake (Ann)"));
    dir.Write("defaults/racer.vcg", Vcg("WINDOWS", "Racer"));
    dir.Write("defaults/cards.vcg", Vcg("WINDOWS", "Cards"));
    dir.Write("defaults/train.vcg", Vcg("WINDOWS", "Training"));
    dir.Write("games.ini",
              Crlf("[Game1]\nGameTitle=Quake\nGameExe=quake.exe\nGameVcg=quake.vcg\nNewGame=1\n"
                   "Modify1=config.cfg joy joy=1\nFile1=mvajoy.dll\n"
                   "[Game2]\nGameTitle=Cards (old)\nGameExe=cards.exe\nGameVcg=NOSUPPORT\n"
                   "[Game3]\nGameTitle=Cards\nGameExe=Cards.EXE\nGameVcg=cards.vcg\nNewGame=0\n"
                   "[Game4]\nGameTitle=Racer\nGameExe=racer.exe\nGameVcg=racer.vcg\n"
                   "[Game5]\nGameTitle=Trainer\nGameExe=trainer.exe\nGameVcg=train.vcg\n"
                   "[Game6]\nGameTitle=Puzzle\nGameExe=puzzle.exe\nGameVcg=nosupport\n"));
    dir.Write("Tandmon.ini",
              Crlf("[Defaults]\nConfig=Joy3D.vcg\n[Players]\nCurrent=Ann\nPlayer1=Ann\n"
                   "SubDir1=ann\n"));
    dir.Write("mvajoy.dll", "product dll");
    dir.Write("games/quake/config.cfg", "name=player\r\njoy=0\r\n");
    dir.Write("games/racer/.keep", "");
    work = platform::CurrentDirectory();
    quakeExe = work + "\\games\\quake\\quake.exe";
    racerExe = work + "\\games\\racer\\racer.exe";

    store.emplace();
    joystick = store->joystick;

    state.host = &host;
    LoadGameList(state.games);
    LoadMonitorSettings(state);
    // As at start: the default is made live before the first tick.
    ASSERT_EQ(ActivateConfig(state, state.defaultConfigPath, ""), 0);
    ASSERT_EQ(state.currentConfig, "defaults\\Joy3D.vcg");
    changesAtStart = joystick->configChangedCount;
  }

  void TearDown() override { store.reset(); }

  static void Bind(bool bound) { montest::BindDriver(bound); }
  static std::string LiveFile() { return montest::LiveConfigFile(); }
  static bool LiveIs(const std::string& relative) { return montest::LiveConfigIs(relative); }

  // One tick over these processes (newest last). Every tick that took a
  // snapshot must have stopped the timer and set it again.
  int Tick(std::vector<std::string> processes) {
    procs.lister.paths = std::move(processes);
    std::size_t killed = host.killed.size();
    int sets = host.sets;
    unsigned id = state.timerId;
    int r = WatchTick(state);
    EXPECT_EQ(host.killed.size(), killed + 1);
    if (host.killed.size() == killed + 1) {
      EXPECT_EQ(host.killed.back(), id);
    }
    EXPECT_EQ(host.sets, sets + 1);
    EXPECT_TRUE(host.running);
    EXPECT_EQ(state.timerId, host.nextId);
    return r;
  }

  int Changes() const { return joystick->configChangedCount - changesAtStart; }
  std::string Ini(const char* file, const char* section, const char* key) {
    return platform::GetPrivateProfileString(section, key, "", 260, file);
  }
  std::vector<std::string> LogLines() { return montest::Lines(dir.Read("error.log")); }

  TempDir dir;
  ScopedCwd cwd{dir.path()};
  ScopedEnv windir{"TANDRIX_WINDIR", nullptr};
  montest::RecordingHost host;
  montest::ScopedProcessDoubles procs;
  std::optional<montest::ScopedJoystickStore> store;
  platform::testing::RecordingJoystickService* joystick = nullptr;
  MonitorState state;
  std::string work, quakeExe, racerExe;
  int changesAtStart = 0;
  const std::string other = "Z:\\usr\\bin\\bash";
};

TEST_F(WatcherTest, NoListedGameKeepsTheDefault) {
  EXPECT_EQ(Tick({other, "Z:\\usr\\bin\\sleep"}), 0);
  EXPECT_EQ(Changes(), 0);  // already live: nothing done
  EXPECT_TRUE(LiveIs("defaults\\Joy3D.vcg"));
  EXPECT_EQ(state.runningGameExe, "");
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(WatcherTest, ListedGameStartsRunsAndEnds) {
  // Starts: the player's copy is made live, the instructions shown, the
  // title recorded, and the directory noted for preparation. It is found
  // even when it is not the newest process.
  EXPECT_EQ(Tick({quakeExe, other}), 1);
  EXPECT_GT(Changes(), 0);
  EXPECT_TRUE(LiveIs("ann\\quake.vcg"));
  EXPECT_EQ(state.currentConfig, "quake.vcg");
  EXPECT_EQ(state.runningGameExe, "quake.exe");
  EXPECT_EQ(host.instructions, std::vector<int>{0});
  EXPECT_EQ(Ini("Tandmon.ini", "Games", "Current"), "quake.vcg");
  EXPECT_EQ(Ini("Tandmon.ini", "Games", "Game1"), "Quake");
  EXPECT_TRUE(state.pendingPrepare);
  EXPECT_EQ(state.prepareDir, work + "\\games\\quake\\");
  EXPECT_EQ(state.prepareEntry, state.games.entries[0]);
  EXPECT_EQ(state.copyEntry, state.games.entries[0]);

  // Still running (its name in another case): nothing happens.
  int before = Changes();
  EXPECT_EQ(Tick({other, work + "\\games\\quake\\QUAKE.EXE"}), 1);
  EXPECT_EQ(Changes(), before);
  EXPECT_EQ(Tick({quakeExe, other}), 1);
  EXPECT_EQ(Changes(), before);
  EXPECT_EQ(host.instructions.size(), 1u);
  EXPECT_EQ(dir.Read("games/quake/config.cfg"), "name=player\r\njoy=0\r\n");

  // Ended: the directory is prepared, the user told once, the default live.
  EXPECT_EQ(Tick({other}), 0);
  EXPECT_EQ(dir.Read("games/quake/config.cfg"), "name=player\r\njoy=1\r\n");
  EXPECT_EQ(dir.Read("games/quake/config.mva"), "name=player\r\njoy=0\r\n");
  EXPECT_EQ(dir.Read("games/quake/mvajoy.dll"), "product dll");
  EXPECT_TRUE(dir.Exists("games/quake/tandrix.mrk"));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].textId, kIdsGameSetUp);
  EXPECT_EQ(host.messages[0].caption, "Tandrix");
  EXPECT_EQ(host.messages[0].style, kMbIconStop | kMbSystemModal);
  EXPECT_TRUE(LiveIs("defaults\\Joy3D.vcg"));
  EXPECT_EQ(state.runningGameExe, "");
  EXPECT_FALSE(state.pendingPrepare);
  EXPECT_EQ(state.prepareEntry, nullptr);
  EXPECT_EQ(state.copyEntry, nullptr);

  // Started again: handled again, but the marker keeps it from being
  // prepared twice.
  EXPECT_EQ(Tick({other, quakeExe}), 1);
  EXPECT_TRUE(LiveIs("ann\\quake.vcg"));
  EXPECT_FALSE(state.pendingPrepare);
  EXPECT_EQ(Tick({other}), 0);
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(Ini("Tandmon.ini", "Games", "Game2"), "");
}

TEST_F(WatcherTest, EntryChoiceAndConfigurationLookup) {
  struct Case {
    const char* name;
    std::string exe;
    std::string live;       // configuration file made live
    std::string current;    // Current of Games afterwards ("" unchanged)
    int instructions;       // position shown, or -1
  };
  const Case cases[] = {
      {"nosupport entry first, then a supported one", work + "\\games\\cards\\CARDS.exe",
       "defaults\\cards.vcg", "cards.vcg", -1},
      {"missing in the player's folder: defaults", racerExe, "defaults\\racer.vcg", "racer.vcg",
       -1},
      {"training configurations are not recorded", work + "\\games\\trainer.exe",
       "defaults\\train.vcg",
       "", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform::WritePrivateProfileString("Games", "Current", "before.vcg", "Tandmon.ini");
    host.instructions.clear();
    EXPECT_EQ(Tick({other, c.exe}), 1);
    EXPECT_TRUE(LiveIs(c.live)) << LiveFile();
    EXPECT_EQ(Ini("Tandmon.ini", "Games", "Current"), c.current.empty() ? "before.vcg" : c.current);
    EXPECT_TRUE(host.instructions.empty());
    EXPECT_EQ(Tick({other}), 0);
    EXPECT_TRUE(LiveIs("defaults\\Joy3D.vcg"));
  }
  // Only unsupported entries: recognised, nothing made live.
  int before = Changes();
  EXPECT_EQ(Tick({other, "Z:\\p\\puzzle.exe"}), 0);
  EXPECT_EQ(Changes(), before);
}

TEST_F(WatcherTest, NewGameIsReadAgainAtEveryStart) {
  platform::WritePrivateProfileString("Game4", "NewGame", "1", "games.ini");
  EXPECT_EQ(Tick({other, racerExe}), 1);
  EXPECT_EQ(host.instructions, std::vector<int>{3});
  EXPECT_EQ(state.games.entries[3]->newGame, 1);
  EXPECT_EQ(Tick({other}), 0);
  platform::WritePrivateProfileString("Game4", "NewGame", "0", "games.ini");
  EXPECT_EQ(Tick({other, racerExe}), 1);
  EXPECT_EQ(host.instructions.size(), 1u);
}

TEST_F(WatcherTest, ConfigurationAlreadyLiveIsLeftAlone) {
  state.currentConfig = "QUAKE.VCG";
  int before = Changes();
  EXPECT_EQ(Tick({other, quakeExe}), 0);
  EXPECT_EQ(Changes(), before);
  EXPECT_EQ(state.runningGameExe, "");
  EXPECT_FALSE(state.pendingPrepare);
  EXPECT_TRUE(host.instructions.empty());
}

TEST_F(WatcherTest, JoystickPromptAtMostOnceBetweenActivations) {
  Bind(false);
  state.currentConfig.clear();
  EXPECT_EQ(Tick({other}), 0);  // the default: not a joystick slot
  EXPECT_EQ(host.prompts, 1);
  EXPECT_EQ(host.focus, 1);
  EXPECT_TRUE(state.promptShown);
  EXPECT_EQ(state.currentConfig, "defaults\\Joy3D.vcg");
  ASSERT_EQ(LogLines().size(), 1u);
  EXPECT_EQ(LogLines()[0].rfind("Win95: Tandrix not selected as the Joystick: ", 0), 0u);
  EXPECT_EQ(LogLines()[0].size(), std::string("Win95: Tandrix not selected as the Joystick: ").size() + 24);

  EXPECT_EQ(Tick({other}), 0);
  EXPECT_EQ(Tick({other, quakeExe}), 1);  // another failing activation
  EXPECT_EQ(host.prompts, 1);
  EXPECT_EQ(LogLines().size(), 1u);
  EXPECT_EQ(Tick({other}), 0);

  // A successful activation clears the flag; the next failure prompts again.
  Bind(true);
  state.currentConfig.clear();
  EXPECT_EQ(Tick({other}), 0);
  EXPECT_FALSE(state.promptShown);
  Bind(false);
  host.promptAnswer = kIdYes;  // OK: no joystick panel here, so help and settings
  EXPECT_EQ(Tick({other, racerExe}), 1);
  EXPECT_EQ(host.prompts, 2);
  EXPECT_EQ(host.help, std::vector<std::string>{"nojoycp.hlp 3"});
  ASSERT_EQ(procs.starter.starts.size(), 1u);
  EXPECT_EQ(procs.starter.starts[0].program, "C:\\WINDOWS\\rundll32.exe");
  EXPECT_EQ(procs.starter.starts[0].commandLine, " shell32.dll,Control_RunDLL sysdm.cpl,@1");
  EXPECT_EQ(procs.starter.starts[0].directory, ".");
}

TEST_F(WatcherTest, PromptOffRetriesTheDefaultAtEveryTick) {
  Bind(false);
  state.showJoystick = 0;
  state.currentConfig.clear();
  for (int i = 0; i < 3; ++i) {
    std::size_t logBefore = LogLines().size();
    EXPECT_EQ(Tick({other}), 0);
    EXPECT_EQ(state.currentConfig, "");  // nothing recorded, so tried again
    EXPECT_EQ(LogLines().size(), logBefore);
  }
  EXPECT_EQ(host.prompts, 0);
  EXPECT_TRUE(LiveIs("defaults\\Joy3D.vcg"));  // the tuning values are written all the same
}

TEST_F(WatcherTest, UnreadableConfigurationIsLoggedOnce) {
  dir.Write("Tandmon.ini", Crlf("[Defaults]\nConfig=Missing.vcg\n"));
  LoadMonitorSettings(state);
  EXPECT_EQ(Tick({other}), 0);
  EXPECT_EQ(state.currentConfig, "defaults\\Missing.vcg");
  EXPECT_EQ(Tick({other}), 0);
  auto lines = LogLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("Win95: Driver failed to load configuration file defaults\\Missing.vcg: ", 0), 0u);
  EXPECT_EQ(host.prompts, 0);
}

// The store locked or damaged while a listed game runs: the monitor
// keeps watching, logs the outage once with its cause, and makes the
// game's configuration live at the first tick after the store is back.
TEST_F(WatcherTest, AStoreThatComesBackGetsTheRunningGamesConfiguration) {
  const std::string path = dir.Host("store/registry.db");
  const std::string good = dir.Host("good.db");
  {
    std::string error;
    auto seeded = platform::OpenSqliteRegistry(good, &error);
    ASSERT_TRUE(seeded) << error;
    platform::SetSystemRegistry(std::move(seeded));
    Bind(true);
    platform::SetSystemRegistry(platform::NewMemoryRegistry());  // the file is whole and closed
  }
  ScopedEnv env("TANDRIX_REGISTRY", path.c_str());
  std::unique_ptr<platform::Registry> locker;
  struct Row {
    const char* what;
    std::function<void()> breakIt, mend;
    const char* cause;
  };
  const Row rows[] = {
      {"locked",
       [&] {
         std::string error;
         // Writes give up after 50 ms instead of the usual wait.
         platform::SetSystemRegistry(platform::OpenSqliteRegistry(path, &error, nullptr, 50));
         locker = platform::OpenSqliteRegistry(path, &error);
         ASSERT_EQ(locker->BeginTransaction(), platform::kRegOk);
       },
       [&] { locker.reset(); },  // ending the connection ends its transaction
       "(another program holds the registry store locked)"},
      {"not a store",
       [&] {
         dir.Write("store/registry.db", std::string(4096, 'j'));
         platform::SetSystemRegistry(nullptr);
       },
       [&] { std::filesystem::copy_file(good, path, std::filesystem::copy_options::overwrite_existing); },
       "not a registry store"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::filesystem::create_directories(dir.Host("store"));
    std::filesystem::copy_file(good, path, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(dir.Host("error.log"));
    const std::size_t shown = host.instructions.size();
    row.breakIt();

    EXPECT_EQ(Tick({quakeExe, other}), 1);
    EXPECT_EQ(Tick({quakeExe, other}), 1);
    EXPECT_FALSE(LiveIs("ann\\quake.vcg"));
    EXPECT_EQ(host.instructions.size(), shown);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Win95: Driver failed to load configuration file ann\\quake.vcg (", 0), 0u)
        << lines[0];
    EXPECT_NE(lines[0].find(row.cause), std::string::npos) << lines[0];

    row.mend();
    EXPECT_EQ(Tick({quakeExe, other}), 1);
    EXPECT_TRUE(LiveIs("ann\\quake.vcg"));
    EXPECT_EQ(host.instructions.size(), shown + 1);
    EXPECT_EQ(Ini("Tandmon.ini", "Games", "Current"), "quake.vcg");
    EXPECT_EQ(LogLines().size(), 1u);
    EXPECT_EQ(Tick({other}), 0);
    EXPECT_TRUE(LiveIs("defaults\\Joy3D.vcg"));
  }
}

// Another store put in place of the one the monitor holds open (a backup
// renamed over it): the next tick says so once, and the game that starts is
// made live in the store the path names now, not in the old file.
TEST_F(WatcherTest, AStoreReplacedWhileItRunsIsOpenedAgain) {
  const std::string path = dir.Host("registry.db");
  std::string error;
  platform::SetSystemRegistry(platform::OpenSqliteRegistry(dir.Host("seed.db"), &error));
  Bind(true);
  platform::SetSystemRegistry(platform::NewMemoryRegistry());  // the seed is whole and closed
  std::filesystem::copy_file(dir.Host("seed.db"), path);
  std::filesystem::copy_file(dir.Host("seed.db"), dir.Host("backup.db"));
  ScopedEnv env("TANDRIX_REGISTRY", path.c_str());
  platform::SetSystemRegistry(nullptr);
  state.currentConfig.clear();
  EXPECT_EQ(Tick({other}), 0);
  EXPECT_TRUE(LiveIs("defaults\\Joy3D.vcg"));

  std::filesystem::rename(dir.Host("backup.db"), path);
  EXPECT_EQ(Tick({quakeExe, other}), 1);
  EXPECT_EQ(Tick({quakeExe, other}), 1);
  auto direct = platform::OpenSqliteRegistry(path, &error);
  ASSERT_TRUE(direct) << error;
  platform::ScopedSystemRegistry reading(std::move(direct));
  EXPECT_TRUE(LiveIs("ann\\quake.vcg"));
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("registry store " + path + " was replaced by another file while in use; opened again"),
            std::string::npos)
      << lines[0];
}

TEST_F(WatcherTest, ServiceSetupFollowsTheServiceProgram) {
  EXPECT_EQ(Tick({other, "Z:\\ten\\TEN.EXE"}), 0);
  EXPECT_EQ(Tick({"Z:\\ten\\TEN.EXE", other}), 0);
  EXPECT_EQ(Tick({other}), 0);
  EXPECT_EQ(Tick({other}), 0);
  ASSERT_EQ(procs.starter.starts.size(), 2u);
  EXPECT_EQ(procs.starter.starts[0].program, "svcsetup.exe");
  EXPECT_EQ(procs.starter.starts[0].commandLine, "1 TEN.EXE");
  EXPECT_EQ(procs.starter.starts[0].directory, ".");
  EXPECT_EQ(procs.starter.starts[1].commandLine, "0 TEN.EXE");
  EXPECT_FALSE(state.serviceHandled);
  // The service program beside a listed game: the setup starts before the
  // game is looked up, and the game is still handled.
  EXPECT_EQ(Tick({"Z:\\ten\\ten.exe", racerExe}), 1);
  ASSERT_EQ(procs.starter.starts.size(), 3u);
  EXPECT_EQ(procs.starter.starts[2].commandLine, "1 ten.exe");
}

TEST_F(WatcherTest, CustomizerExitReloadsSettings) {
  const std::string customizer = "Z:\\tandrix\\TANDCFG.EXE";
  EXPECT_EQ(Tick({other, customizer}), 0);
  EXPECT_TRUE(state.customizerSeen);
  dir.Write("Tandmon.ini", Crlf("[Defaults]\nConfig=Joy2D.vcg\nShowJoystick=0\n"));
  // The changed file is read at the next tick, the customizer still running.
  EXPECT_EQ(Tick({customizer, other}), 0);
  EXPECT_TRUE(LiveIs("defaults\\Joy2D.vcg"));
  EXPECT_EQ(state.showJoystick, 0);
  EXPECT_EQ(Tick({other}), 0);
  EXPECT_FALSE(state.customizerSeen);
  EXPECT_EQ(state.defaultConfigPath, "defaults\\Joy2D.vcg");
  EXPECT_EQ(state.showJoystick, 0);
  EXPECT_EQ(state.playerSubdir, "Defaults");
  EXPECT_TRUE(LiveIs("defaults\\Joy2D.vcg"));
  EXPECT_EQ(state.currentConfig, "defaults\\Joy2D.vcg");
}

TEST_F(WatcherTest, QuakeLauncherPreparesTheBatchOncePerRun) {
  dir.Write("games/quake/q95.bat", "start qlaunch quake.exe\r\n");
  const std::string launcher = work + "\\games\\quake\\QLaunch.exe";
  EXPECT_EQ(Tick({other, launcher}), 0);
  EXPECT_TRUE(state.quakeHandled);
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].textId, kIdsQuakeBatch);
  EXPECT_TRUE(dir.Exists("games/mvabat.bat"));
  std::remove(dir.Host("games/mvabat.bat").c_str());
  EXPECT_EQ(Tick({launcher, other}), 0);  // same run: nothing again
  EXPECT_FALSE(dir.Exists("games/mvabat.bat"));
  EXPECT_EQ(Tick({other}), 0);
  EXPECT_FALSE(state.quakeHandled);
  EXPECT_EQ(Tick({other, launcher}), 0);  // a new run: checked again
  EXPECT_TRUE(dir.Exists("games/mvabat.bat"));
  EXPECT_EQ(host.messages.size(), 2u);
}

TEST_F(WatcherTest, WindowsGameWithItsOwnConfigurationIsRegistered) {
  dir.Write("games/flight/flight.vcg", Vcg("WINDOWS", "\"Flight\""));
  const std::string flight = work + "\\games\\flight\\Flight.exe";
  EXPECT_EQ(Tick({other, flight}), 1);
  EXPECT_NE(dir.Read("defaults/flight.vcg").find("OWNER = OEM"), std::string::npos);
  EXPECT_EQ(dir.Read("games/flight/flight.vcg"), Vcg("WINDOWS", "\"Flight\""));
  EXPECT_TRUE(LiveIs("defaults\\flight.vcg"));
  EXPECT_EQ(state.currentConfig, "defaults\\flight.vcg");
  EXPECT_EQ(state.runningGameExe, "");
  EXPECT_EQ(Ini("Tandmon.ini", "Games", "Current"), "flight.vcg");
  EXPECT_EQ(Ini("games.ini", "Game7", "GameTitle"), "Flight");
  EXPECT_EQ(Ini("games.ini", "Game7", "GameExe"), "Flight.exe");
  EXPECT_EQ(Ini("games.ini", "Game7", "GameVcg"), "flight.vcg");
  EXPECT_EQ(Ini("games.ini", "Game7", "NewGame"), "0");
  ASSERT_EQ(state.games.size(), 7u);
  EXPECT_EQ(Ini("Tandmon.ini", "Games", "Game1"), "Flight");

  // The next tick finds it listed and handles it as any listed game.
  EXPECT_EQ(Tick({other, flight}), 1);
  EXPECT_EQ(state.runningGameExe, "Flight.exe");
  EXPECT_EQ(state.currentConfig, "flight.vcg");
  EXPECT_EQ(Tick({other}), 0);
  EXPECT_TRUE(LiveIs("defaults\\Joy3D.vcg"));
}

TEST_F(WatcherTest, RegistrationNeedsAWindowsConfigurationAndATitle) {
  // A DOS configuration: the end-of-game steps run instead.
  dir.Write("games/dosgame/dos.vcg", Vcg("DOS", "Dos"));
  state.currentConfig = "something else";
  EXPECT_EQ(Tick({other, work + "\\games\\dosgame\\dos.exe"}), 0);
  EXPECT_FALSE(dir.Exists("defaults/dos.vcg"));
  EXPECT_EQ(state.currentConfig, "defaults\\Joy3D.vcg");
  EXPECT_EQ(state.games.size(), 6u);

  // No APPLICATION_NAME: the program's name becomes the title, so the new
  // entry is part of the list and is not registered again.
  dir.Write("games/noname/game.vcg", Vcg("windows", ""));
  const std::string exe = work + "\\games\\noname\\noname.exe";
  EXPECT_EQ(Tick({other, exe}), 1);
  EXPECT_EQ(Ini("games.ini", "Game7", "GameTitle"), "noname.exe");
  ASSERT_EQ(state.games.size(), 7u);
  EXPECT_EQ(Tick({other, exe}), 1);
  EXPECT_EQ(Ini("games.ini", "Game8", "GameTitle"), "");
}

// The monitor's file edge cases, one game run per row: what the end of the
// run leaves, and whether it asks for a restart.
TEST_F(WatcherTest, PreparationAsksForARestartOnlyWhenFilesChanged) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::size_t messages;
  } cases[] = {
      {"edited and copied", [] {}, 1},
      {"game file a FIFO, product file missing",
       [&] {
         std::remove(dir.Host("games/quake/config.cfg").c_str());
         ASSERT_EQ(::mkfifo(dir.Host("games/quake/config.cfg").c_str(), 0644), 0);
         std::remove(dir.Host("mvajoy.dll").c_str());
       },
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(dir.Host("games/quake/tandrix.mrk").c_str());
    host.messages.clear();
    c.arrange();
    EXPECT_EQ(Tick({other, quakeExe}), 1);
    EXPECT_EQ(Tick({other}), 0);
    EXPECT_EQ(host.messages.size(), c.messages);
    EXPECT_TRUE(dir.Exists("games/quake/tandrix.mrk"));
  }
  struct stat st;
  ASSERT_EQ(::lstat(dir.Host("games/quake/config.cfg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// GameExe holds 79 characters: a longer program name is not registered,
// or it would be registered again at every tick.
TEST_F(WatcherTest, ProgramNamesLongerThanGameExeHoldsAreNotRegistered) {
  dir.Write("games/long/long.vcg", Vcg("WINDOWS", "Long"));
  const std::string name79 = std::string(75, 'n') + ".exe";
  for (const std::string& name : {name79 + "x", name79}) {
    SCOPED_TRACE(name.size());
    const std::string exe = work + "\\games\\long\\" + name;
    Tick({other, exe});
    Tick({other, exe});
    const bool fits = name.size() <= 79;
    EXPECT_EQ(state.games.size(), fits ? 7u : 6u);
    EXPECT_EQ(Ini("games.ini", "Game7", "GameExe"), fits ? name : "");
    EXPECT_EQ(Ini("games.ini", "Game8", "GameTitle"), "");
  }
}

TEST_F(WatcherTest, NewestProcessInTheProductDirectoryEndsTheTick) {
  dir.Write("stray.vcg", Vcg("WINDOWS", "Stray"));
  state.currentConfig = "something else";
  state.runningGameExe = "gone.exe";
  EXPECT_EQ(Tick({other, work + "\\Tandmon"}), 0);
  EXPECT_EQ(state.currentConfig, "something else");  // no end-of-game work
  EXPECT_EQ(state.runningGameExe, "gone.exe");
  EXPECT_EQ(state.games.size(), 6u);
}

TEST_F(WatcherTest, UnsupportedOrPathlessNewestProcessIsNotRegistered) {
  dir.Write("games/puzzle/puzzle.vcg", Vcg("WINDOWS", "Puzzle"));
  EXPECT_EQ(Tick({other, work + "\\games\\puzzle\\puzzle.exe"}), 0);
  EXPECT_EQ(state.games.size(), 6u);
  EXPECT_FALSE(dir.Exists("defaults/puzzle.vcg"));
  // A path without a folder: the whole text is the name.
  std::string d, n;
  SplitExePath("quake.exe", d, n);
  EXPECT_EQ(d, "");
  EXPECT_EQ(n, "quake.exe");
  SplitExePath("C:\\a\\b.exe", d, n);
  EXPECT_EQ(d, "C:\\a\\");
  EXPECT_EQ(n, "b.exe");
  // A listed game without a folder is made live, but nothing is prepared
  // (the marker and the edits would land in the drive's root).
  EXPECT_EQ(Tick({other, "quake.exe"}), 1);
  EXPECT_TRUE(LiveIs("ann\\quake.vcg"));
  EXPECT_FALSE(state.pendingPrepare);
  EXPECT_EQ(Tick({other}), 0);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(WatcherTest, PendingPreparationSurvivesAReloadOfTheList) {
  EXPECT_EQ(Tick({other, quakeExe}), 1);
  ASSERT_TRUE(state.pendingPrepare);
  // The game ends and a new Windows game registers in the same tick: the
  // list is reloaded while the preparation is still pending.
  dir.Write("games/flight/flight.vcg", Vcg("WINDOWS", "Flight"));
  EXPECT_EQ(Tick({other, work + "\\games\\flight\\flight.exe"}), 1);
  EXPECT_EQ(state.games.size(), 7u);
  EXPECT_TRUE(state.pendingPrepare);
  EXPECT_EQ(Tick({other}), 0);
  EXPECT_EQ(dir.Read("games/quake/config.cfg"), "name=player\r\njoy=1\r\n");
  EXPECT_EQ(dir.Read("games/quake/mvajoy.dll"), "product dll");
}

TEST_F(WatcherTest, SnapshotFailures) {
  procs.lister.fail = true;
  EXPECT_EQ(WatchTick(state), 0);
  EXPECT_TRUE(host.killed.empty());  // the timer keeps running
  EXPECT_EQ(host.sets, 0);

  procs.lister.fail = false;
  procs.lister.empty = true;
  state.currentConfig = "other";
  EXPECT_EQ(Tick({}), 0);
  EXPECT_EQ(state.currentConfig, "defaults\\Joy3D.vcg");
  // When the default cannot be made live the tick goes on to the end.
  state.currentConfig = "other";
  state.runningGameExe = "x.exe";
  dir.Write("Tandmon.ini", Crlf("[Defaults]\nConfig=Missing.vcg\n"));
  LoadMonitorSettings(state);
  EXPECT_EQ(Tick({}), 0);
  EXPECT_EQ(state.runningGameExe, "");
}

TEST_F(WatcherTest, ReadConfigTokenLooksInThePlayersFolderThenDefaults) {
  std::string value;
  EXPECT_EQ(ReadConfigToken(state, "APPLICATION_NAME", value, 80, "quake.vcg"), 1);
  EXPECT_EQ(value, "Quake (Ann)");
  EXPECT_EQ(ReadConfigToken(state, "APPLICATION_NAME", value, 80, "racer.vcg"), 1);
  EXPECT_EQ(value, "Racer");
  EXPECT_EQ(ReadConfigToken(state, "APPLICATION_NAME", value, 4, "racer.vcg"), 1);
  EXPECT_EQ(value, "Rac");
  EXPECT_EQ(ReadConfigToken(state, "NO_SUCH_TOKEN", value, 80, "racer.vcg"), 1);
  EXPECT_EQ(value, "");
  EXPECT_EQ(ReadConfigToken(state, "TYPE", value, 80, "missing.vcg"), 0);
  EXPECT_EQ(ReadConfigToken(state, "TYPE", value, 80, work + "\\ann\\quake.vcg"), 1);
  EXPECT_EQ(value, "DOS");
}

TEST_F(WatcherTest, MarkConfigOemMakesTheFileWritable) {
  dir.Write("defaults/ro.vcg", Vcg("WINDOWS", "Read only"));
  platform::SetReadOnly("defaults\\ro.vcg", true);
  EXPECT_EQ(MarkConfigOem("defaults\\ro.vcg"), 1);
  bool readOnly = true;
  ASSERT_TRUE(platform::GetReadOnly("defaults\\ro.vcg", readOnly));
  EXPECT_FALSE(readOnly);
  std::string owner;
  platform::File f("defaults\\ro.vcg", platform::OpenMode::ReadText);
  ASSERT_EQ(MVA_GetCfgValue(owner, "OWNER", -1, f), 0);
  EXPECT_EQ(owner, "OEM");
  EXPECT_EQ(MarkConfigOem("defaults\\missing.vcg"), 0);
  dir.Write("defaults/old.vcg", Crlf("VERSION = 3.0\n"));
  EXPECT_EQ(MarkConfigOem("defaults\\old.vcg"), 0);
  EXPECT_EQ(dir.Read("defaults/old.vcg"), Crlf("VERSION = 3.0\n"));
}

TEST_F(WatcherTest, LogErrorLinesAndBox) {
  LogError(kIdsDriverFailed, "defaults\\x.vcg", false, &host);
  LogError(kIdsNotSelected, "", true, &host);
  LogMessageText(MonitorString(kIdsGameSetUp));
  auto lines = LogLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, lines[0].size() - 24),
            "Win95: Driver failed to load configuration file defaults\\x.vcg: ");
  EXPECT_EQ(lines[2].substr(0, lines[2].size() - 24),
            "Win95: This game had to be set up for the Tandrix. The necessary updates have now "
            "been made. You must now restart the game to play with the Tandrix.: ");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Tandrix not selected as the Joystick");
  EXPECT_EQ(host.messages[0].caption, "Tandrix Error");
  EXPECT_EQ(host.messages[0].style, kMbIconStop);
  std::string raw = dir.Read("error.log");
  EXPECT_EQ(raw.find('\n'), raw.find("\r\n") + 1);  // text mode
}

}  // namespace
