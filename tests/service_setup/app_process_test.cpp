// The built svcsetup and Tandmon as real processes, without a display, in a
// product folder made by tandrix install: the monitor starts svcsetup when a
// stand-in service program starts and again when it ends; svcsetup killed
// while it writes a large executable leaves it old or new, never half.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "platform/process.h"
#include "service_fixture.h"
#include "service_setup/game_setup.h"
#include "service_setup/service_games.h"
#include "support/child_process.h"
#include "ui/instance.h"

namespace {

using testsupport::ChildProcess;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WaitFor;

// Every process of the machine the monitor takes for the service program:
// another one than the test's keeps the service "running" for it.
std::string ServicePrograms() {
  std::string found;
  auto snapshot = platform::CreateProcessSnapshot();
  if (snapshot == nullptr) return " (no snapshot)";
  for (const auto& p : snapshot->Entries()) {
    const std::size_t cut = p.exePath.rfind('\\');
    if (platform::EqualsNoCase(p.exePath.substr(cut + 1), "ten.exe")) {
      found += " " + std::to_string(p.processId) + " " + p.exePath;
    }
  }
  return found;
}

class SvcsetupProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ChildProcess install(TANDRIX_TOOL, {"install", product.path()}, product.path(), Log());
    ASSERT_EQ(install.Wait(), 0) << Output();
    ASSERT_TRUE(product.Exists("svcsetup")) << Output();
    ASSERT_TRUE(product.Exists("Tandmon")) << Output();
    // Stand-ins for the installation's own files.
    product.Write("support/specmva.exe", stub);
    product.Write("tdxload.bat", "rem loads the DOS driver\r\n");
    product.Write("games/mvaduke.exe", "front end");
    work = platform::ToDosPath(product.path());
    dukeExe = games.Dos() + "\\duke\\duke3d.exe";
  }

  // The game set up as OK leaves it: the launcher in front, the game in
  // realgame.exe, CurrentGame naming it.
  void SetUpDuke(const std::string& game) {
    games.Write("duke/duke3d.exe", game);
    testsupport::ScopedCwd cwd(product.path());
    ASSERT_EQ(SetUpGame({work, dukeExe, kGameDuke}).status, SetupStatus::kDone);
    ASSERT_TRUE(RecordServiceGame(work, kGameDuke, dukeExe));
  }

  std::string Log() const { return scratch.Host("output.log"); }
  std::string Output() const { return scratch.Read("output.log"); }
  std::string Program(const char* name) const { return product.Host(name); }

  const std::string stub = svctest::Binary("STUB", 4000);
  TempDir product;
  TempDir games;
  TempDir scratch;
  std::string work;
  std::string dukeExe;
  ScopedEnv store{"TANDRIX_REGISTRY", scratch.Host("registry.db").c_str()};
  ScopedEnv runtime{"XDG_RUNTIME_DIR", scratch.path().c_str()};
  ScopedEnv headless{"TANDRIX_HEADLESS", "1"};
};

TEST_F(SvcsetupProcess, TheMonitorStartsItWhenTheServiceStartsAndRestoresWhenItEnds) {
  const std::string game = svctest::Binary("DUKE", 50000);
  SetUpDuke(game);
  const std::string launcher = games.Read("duke/duke3d.exe");
  ASSERT_NE(launcher, game);

  ChildProcess monitor(Program("Tandmon"), {}, product.path(), Log());
  ASSERT_TRUE(WaitFor([] { return ui::InstanceExists("Tandrix Monitor"); })) << Output();

  // The service program: a small program copied under its name.
  std::filesystem::create_directories(scratch.Host("ten"));
  std::filesystem::copy_file("/bin/sleep", scratch.Host("ten/ten.exe"));
  ::chmod(scratch.Host("ten/ten.exe").c_str(), 0755);
  ChildProcess service(scratch.Host("ten/ten.exe"), {"60"}, scratch.path(), Log());
  ASSERT_TRUE(service.Started());

  // "1 ten.exe": without a display svcsetup shows nothing, says why, ends.
  const std::string noDisplay = "svcsetup: no display to show the game service setup on";
  ASSERT_TRUE(WaitFor([&] { return Output().find(noDisplay) != std::string::npos; }, 20000))
      << Output();
  EXPECT_EQ(games.Read("duke/duke3d.exe"), launcher);

  // "0 ten.exe" once the service has ended: the game is back.
  service.Kill();
  ASSERT_TRUE(WaitFor([&] { return games.Read("duke/duke3d.exe") == game; }, 20000))
      << Output() << product.Read("error.log") << "monitor running: " << monitor.Running()
      << "; service programs on this machine:" << ServicePrograms();
  EXPECT_EQ(games.Read("duke/realgame.exe"), game);

  ChildProcess close(Program("Tandmon"), {"-close"}, product.path(), Log());
  EXPECT_EQ(close.Wait(), 0) << Output();
  EXPECT_EQ(monitor.Wait(), 0) << Output();
  // Started once for each end of the service, nothing else to report.
  EXPECT_EQ(Output().find(noDisplay), Output().rfind(noDisplay)) << Output();
  EXPECT_FALSE(product.Exists("error.log")) << product.Read("error.log");
}

TEST_F(SvcsetupProcess, ItRunsWithoutTheMonitorToo) {
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* logged;  // in error.log, or ""
  } cases[] = {
      {{"1", "ten.exe"}, 0, ""},
      {{"--help"}, 0, ""},
      {{}, 1, "SVCSETUP - Unable To Find Any Command Line Arguments (ten.exe, ewrap.exe)"},
      {{"0", "ten.exe"}, 1, "SVCSETUP - Nothing To Restore"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
    std::filesystem::remove(product.Host("error.log"));
    ChildProcess run(Program("svcsetup"), c.args, product.path(), Log());
    EXPECT_EQ(run.Wait(), c.code) << Output();
    if (c.logged[0] == '\0') {
      EXPECT_FALSE(product.Exists("error.log"));
    } else {
      EXPECT_NE(product.Read("error.log").find(c.logged), std::string::npos)
          << product.Read("error.log");
    }
  }
}

// Starts a run with start(), kills it after delays spread from at once to
// well past the length of a whole run (a busy machine may take longer the
// next time), and lets the last run finish. Each time the executable at
// path must be whole: before or after, never a mix. Returns how many runs
// left it as it was before.
int KillAtSpreadMoments(const std::function<pid_t()>& start, const std::function<void()>& reset,
                        const std::function<std::string()> read, const std::string& before,
                        const std::string& after) {
  reset();
  auto begin = std::chrono::steady_clock::now();
  int status = 0;
  ::waitpid(start(), &status, 0);
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - begin);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  // Compared as a whole: a failing EXPECT_EQ would diff 20 MB.
  EXPECT_TRUE(read() == after);

  constexpr int kRuns = 16;
  int untouched = 0;
  for (int i = 0; i < kRuns; ++i) {
    reset();
    const pid_t child = start();
    const auto delay = std::chrono::microseconds(whole.count() * i / 5);
    SCOPED_TRACE(delay.count());
    if (i + 1 < kRuns) {
      std::this_thread::sleep_for(delay);
      ::kill(child, SIGKILL);
    }
    ::waitpid(child, nullptr, 0);
    const std::string now = read();
    EXPECT_TRUE(now == before || now == after) << "size " << now.size();
    if (now == before) ++untouched;
  }
  EXPECT_TRUE(read() == after);
  return untouched;
}

TEST_F(SvcsetupProcess, KilledWhileWritingA20MBExecutableLeavesItOldOrNew) {
  const std::string game = svctest::Binary("DUKE", 20 * 1024 * 1024);
  const std::string launcher = stub + game.substr(stub.size());
  const std::string svcsetup = Program("svcsetup");
  const std::string folder = product.path();
  auto read = [&] { return games.Read("duke/duke3d.exe"); };

  // svcsetup's restore writes the game back over the launcher.
  SetUpDuke(game);
  const int restoresKilledEarly = KillAtSpreadMoments(
      [&] {
        const pid_t child = ::fork();
        if (child == 0) {
          if (::chdir(folder.c_str()) == 0) {
            ::execl(svcsetup.c_str(), svcsetup.c_str(), "0", "ten.exe", nullptr);
          }
          ::_exit(127);
        }
        return child;
      },
      [&] { games.Write("duke/duke3d.exe", launcher); }, read, launcher, game);
  EXPECT_GT(restoresKilledEarly, 0);
  EXPECT_TRUE(games.Read("duke/realgame.exe") == game);

  // OK's write of the launcher over the game, run in a forked child (the
  // dialog cannot be driven in a process without a display).
  testsupport::ScopedCwd cwd(folder);
  const int setupsKilledEarly = KillAtSpreadMoments(
      [&] {
        const pid_t child = ::fork();
        if (child == 0) {
          ::_exit(SetUpGame({work, dukeExe, kGameDuke}).status == SetupStatus::kDone ? 0 : 1);
        }
        return child;
      },
      [&] {
        games.Write("duke/duke3d.exe", game);
        std::filesystem::remove(games.Host("duke/realgame.exe"));
      },
      read, game, launcher);
  EXPECT_GT(setupsKilledEarly, 0);
}

}  // namespace
