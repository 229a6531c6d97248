// Tandmon's start-up: the order of its steps, the first tick's tray icon,
// and what a start does to a monitor that is already running.
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app_fixture.h"
#include "ui/instance.h"

namespace {

using apptest::TandmonTest;

TEST_F(TandmonTest, StartMakesTheDefaultLiveAndTheIconComesWithTheFirstTick) {
  platform::WritePrivateProfileString("Defaults", "Config", "Joy2D.vcg", "Tandmon.ini");
  ASSERT_TRUE(Start());
  EXPECT_EQ(State().games.size(), 3u);
  EXPECT_EQ(State().defaultConfigPath, "defaults\\Joy2D.vcg");
  EXPECT_EQ(State().currentConfig, "defaults\\Joy2D.vcg");
  EXPECT_TRUE(LiveIs("defaults\\Joy2D.vcg"));
  EXPECT_FALSE(State().promptShown);
  EXPECT_TRUE(mon->Window().IsWindow());
  EXPECT_TRUE(mon->Window().IsFindable());
  EXPECT_EQ(mon->Window().ClassName(), "Tandrix Monitor");
  EXPECT_TRUE(ui::InstanceExists("Tandrix Monitor"));
  ASSERT_NE(mon->TrayMenu(), nullptr);
  EXPECT_EQ(mon->TrayMenu()->ItemCount(), 5);

  // One watch timer of 3 seconds; nothing in the tray until it first fires.
  EXPECT_EQ(app.Clock().ActiveTimers(), 1u);
  EXPECT_EQ(app.Clock().IntervalOf(State().timerId), 3000u);
  app.Advance(2999);
  EXPECT_EQ(app.FakeTrayHost().IconCount(), 0u);
  EXPECT_EQ(procs.lister.calls, 0);
  app.Advance(1);
  auto icon = app.FakeTrayHost().Icon(kTrayIconId);
  ASSERT_TRUE(icon.has_value());
  EXPECT_EQ(icon->iconId, 104);
  EXPECT_EQ(icon->tip, "Tandrix: default (Joy2D.vcg)");
  EXPECT_EQ(icon->callbackMessage, 666u);
  EXPECT_TRUE(State().iconAdded);
  EXPECT_EQ(procs.lister.calls, 1);

  // Later ticks watch; the icon is added once.
  app.Advance(6000);
  EXPECT_EQ(procs.lister.calls, 3);
  EXPECT_EQ(app.FakeTrayHost().Log(), (std::vector<std::string>{"add 104 Tandrix: default (Joy2D.vcg)"}));
  EXPECT_EQ(app.Clock().ActiveTimers(), 1u);
}

TEST_F(TandmonTest, AListedGameIsWatchedFromTheTimerAndItsInstructionsShown) {
  ASSERT_TRUE(Start());
  procs.lister.paths = {"Z:\\usr\\bin\\bash", quakeExe};
  app.Advance(3000);
  EXPECT_TRUE(LiveIs("defaults\\quake.vcg"));
  EXPECT_EQ(State().runningGameExe, "quake.exe");
  // Shown by the tick, and closed at once for want of a user.
  ASSERT_EQ(DialogsOpened(kIddInstructions), 1);
  const auto& shown = app.Headless().Dialogs().back();
  EXPECT_EQ(shown.title, "Tandrix - Quake");
  EXPECT_EQ(shown.result, 2);
  EXPECT_TRUE(shown.unattended);
  EXPECT_EQ(Ini("Tandmon.ini", "Games", "Current"), "quake.vcg");
  // The tick set the timer again on its way out.
  EXPECT_EQ(app.Clock().ActiveTimers(), 1u);

  // The game ends: the default is live again and its directory prepared;
  // without a display the restart message goes to error.log.
  procs.lister.paths = {"Z:\\usr\\bin\\bash"};
  app.Advance(3000);
  EXPECT_TRUE(LiveIs("defaults\\Joy3D.vcg"));
  EXPECT_TRUE(dir.Exists("games/quake/tandrix.mrk"));
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind("Win95: This game had to be set up for the Tandrix. The necessary updates "
                         "have now been made. You must now restart the game to play with the "
                         "Tandrix.: ",
                         0),
            0u)
      << log[0];
}

TEST_F(TandmonTest, TheWatchGoesOnWhileAGamesInstructionsAreOpen) {
  ASSERT_TRUE(Start());
  procs.lister.paths = {quakeExe};
  bool ended = false;
  app.User().OnDialog(kIddInstructions, [&](ui::OpenDialog& d) {
    // Shown after the tick: the timer runs, and the game ends behind the
    // window. The default is live again within two ticks.
    EXPECT_EQ(app.Clock().ActiveTimers(), 1u);
    EXPECT_TRUE(LiveIs("defaults\\quake.vcg"));
    procs.lister.paths = {};
    app.Advance(6000);
    ended = LiveIs("defaults\\Joy3D.vcg");
    d.Click(IDOK);
  });
  app.Advance(3000);
  EXPECT_TRUE(ended);
  EXPECT_EQ(DialogsOpened(kIddInstructions), 1);
}

TEST_F(TandmonTest, ChangedFilesAreReadAgainAtTheNextTick) {
  ASSERT_TRUE(Start());
  app.Advance(3000);
  // Unchanged files are not read again.
  const auto quake = State().games.entries[0];
  app.Advance(3000);
  EXPECT_EQ(State().games.entries[0], quake);

  struct Step {
    const char* what;
    std::function<void()> change;
    std::vector<std::string> processes;
    std::string live;
  };
  const std::string cards = work + "\\cards\\cards.exe";
  const Step steps[] = {
      {"a game added while the monitor runs",
       [] { platform::WritePrivateProfileString("Game4", "GameTitle", "Cards", "games.ini");
            platform::WritePrivateProfileString("Game4", "GameExe", "cards.exe", "games.ini");
            platform::WritePrivateProfileString("Game4", "GameVcg", "racer.vcg", "games.ini"); },
       {cards}, "defaults\\racer.vcg"},
      {"another default chosen", [] { platform::WritePrivateProfileString("Defaults", "Config", "Joy2D.vcg", "Tandmon.ini"); },
       {}, "defaults\\Joy2D.vcg"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    procs.lister.paths = step.processes;
    app.Advance(3000);
    EXPECT_TRUE(LiveIs(step.live)) << LiveFile();
  }
}

// Runs a monitor in a child process on the headless front end until it is
// closed; its exit status is 0 when it ended as the close message ends it.
pid_t StartOtherMonitor() {
  const pid_t child = ::fork();
  if (child != 0) return child;
  int code = 1;
  {
    ui::headless::HeadlessApplication app;
    ui::SetApplication(&app);
    TandmonApp other(app);
    code = other.Run("");
    if (code == 0 && (other.Window().IsWindow() || !other.State().games.empty())) code = 2;
    ui::SetApplication(nullptr);
  }
  ::_exit(code);
}

bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
  for (int waited = 0; waited < ms; waited += 10) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

// The exit status of child, or -1 when it has not ended within ms (it is
// then killed).
int WaitExit(pid_t child, int ms = 10000) {
  int status = 0;
  bool ended = WaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, ms);
  if (!ended) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

TEST_F(TandmonTest, ASecondStartClosesTheFirstAndCloseOnlyCloses) {
  struct Row {
    const char* commandLine;
    bool otherRunning;
    bool runsOn;
  };
  const Row rows[] = {
      {"", true, true},                // the new monitor replaces the old one
      {"", false, true},
      {"-close", true, false},         // closes the running one and ends
      {"-close", false, false},        // ends at once, the default made live
      {"-CLOSE", true, false},         // lower-cased once a monitor was found
      {"-CLOSE", false, true},         // no monitor: the option is not seen
      {"/quiet -close now", false, false},  // a substring test
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("\"") + row.commandLine + "\"" + (row.otherRunning ? " over a running monitor" : ""));
    platform::SetSystemRegistry(platform::NewMemoryRegistry());
    Bind(true);
    pid_t other = -1;
    if (row.otherRunning) {
      other = StartOtherMonitor();
      ASSERT_GT(other, 0);
      ASSERT_TRUE(WaitFor([] { return ui::InstanceExists("Tandrix Monitor"); }));
    }

    EXPECT_EQ(Start(row.commandLine), row.runsOn);
    // What -close reports is what this start found and closed.
    EXPECT_EQ(mon->ClosedProcessId(), row.otherRunning ? other : 0);
    EXPECT_EQ(mon->CloseOnly(), !row.runsOn);
    // The default is made live by every start, before anything else.
    EXPECT_TRUE(LiveIs("defaults\\Joy3D.vcg"));
    EXPECT_EQ(State().currentConfig, "defaults\\Joy3D.vcg");
    if (row.otherRunning) {
      EXPECT_EQ(WaitExit(other), 0);
    }
    if (row.runsOn) {
      EXPECT_TRUE(mon->Window().IsWindow());
      EXPECT_TRUE(mon->Window().IsFindable());
      EXPECT_TRUE(ui::InstanceExists("Tandrix Monitor"));
    } else {
      EXPECT_EQ(exitCode, 0);
      EXPECT_FALSE(mon->Window().IsWindow());
      EXPECT_FALSE(ui::InstanceExists("Tandrix Monitor"));
      EXPECT_EQ(app.Clock().ActiveTimers(), 0u);
    }
    mon.reset();
  }
}

// Listens at path and hangs up on every caller without an answer, as a
// monitor that hangs would.
struct MuteListener {
  explicit MuteListener(const std::string& path) : fd(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, path.c_str());
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::listen(fd, 8);
    thread = std::thread([this] {
      for (pollfd p{fd, POLLIN, 0}; !stop;) {
        if (::poll(&p, 1, 20) == 1) ::close(::accept(fd, nullptr, nullptr));
      }
    });
  }
  ~MuteListener() {
    stop = true;
    thread.join();
    ::close(fd);
  }
  int fd;
  std::atomic<bool> stop{false};
  std::thread thread;
};

// Something else at the channel's path, or a monitor that does not answer:
// neither a start nor -close goes on, and what was there is left alone.
TEST_F(TandmonTest, ANameThatCannotBeClaimedOrReachedStopsTheStart) {
  const std::string path = ui::InstanceAddress("Tandrix Monitor");
  const std::pair<int, const char*> rows[] = {
      {0, "something else is at"}, {1, "something else is at"}, {2, "did not answer"}};
  for (const auto& [what, why] : rows) {
    for (const char* commandLine : {"", "-close"}) {
      SCOPED_TRACE(std::to_string(what) + " \"" + commandLine + "\"");
      std::filesystem::remove_all(path);
      std::filesystem::remove(dir.Host("error.log"));
      std::unique_ptr<MuteListener> mute;
      if (what == 0) std::ofstream(path) << "notes";
      if (what == 1) std::filesystem::create_directory(path);
      if (what == 2) mute = std::make_unique<MuteListener>(path);

      EXPECT_FALSE(Start(commandLine));
      EXPECT_EQ(exitCode, 1);
      EXPECT_FALSE(mon->Window().IsWindow());
      EXPECT_EQ(app.Clock().ActiveTimers(), 0u);
      std::vector<std::string> log = LogLines();
      ASSERT_EQ(log.size(), 1u);
      EXPECT_NE(log[0].find(why), std::string::npos) << log[0];
      EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(path)));
      mon.reset();
    }
  }
  std::filesystem::remove_all(path);
}

}  // namespace
