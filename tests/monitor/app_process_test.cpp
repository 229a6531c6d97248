// The built Tandmon as real processes, without a display, in a product
// folder made by tandrix install with a store of its own: a second start
// replaces the first, "Tandmon -close" ends the second, SIGTERM ends it too.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/tempdir.h"
#include "ui/instance.h"

extern char** environ;

namespace {

using testsupport::ScopedEnv;
using testsupport::TempDir;

bool WaitFor(const std::function<bool()>& done, int ms = 15000) {
  for (int waited = 0; waited < ms; waited += 20) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

class Process {
 public:
  // Starts program with args in dir; its output goes to log.
  Process(const std::string& program, std::vector<std::string> args, const std::string& dir,
          const std::string& log) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (auto& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, raw.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Process() {
    if (Running()) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool Started() const { return pid_ > 0; }
  bool Running() {
    if (pid_ <= 0 || ended_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      ended_ = true;
      status_ = status;
      return false;
    }
    return true;
  }
  // The exit code once it has ended within ms; -1 when still running, -2
  // when killed by a signal.
  int Wait(int ms = 15000) {
    WaitFor([&] { return !Running(); }, ms);
    if (!ended_) return -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -2;
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
};

class TandmonProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    Process install(TANDRIX_TOOL, {"install", product.path()}, product.path(), Log());
    ASSERT_EQ(install.Wait(), 0) << Output();
    ASSERT_TRUE(product.Exists("Tandmon")) << Output();
    ASSERT_TRUE(product.Exists("games.ini"));
  }
  std::string Log() const { return scratch.Host("output.log"); }
  std::string Output() const { return scratch.Read("output.log"); }
  std::string Tandmon() const { return product.Host("Tandmon"); }
  static bool MonitorListens() { return ui::InstanceExists("Tandrix Monitor"); }

  TempDir product;
  TempDir scratch;
  ScopedEnv store{"TANDRIX_REGISTRY", scratch.Host("registry.db").c_str()};
  ScopedEnv runtime{"XDG_RUNTIME_DIR", scratch.path().c_str()};
  ScopedEnv headless{"TANDRIX_HEADLESS", "1"};
};

TEST_F(TandmonProcess, ASecondStartReplacesTheFirstAndCloseEndsIt) {
  Process first(Tandmon(), {}, product.path(), Log());
  ASSERT_TRUE(first.Started());
  ASSERT_TRUE(WaitFor(MonitorListens)) << Output();
  ASSERT_TRUE(first.Running());

  Process second(Tandmon(), {}, product.path(), Log());
  EXPECT_EQ(first.Wait(), 0) << Output();
  ASSERT_TRUE(WaitFor(MonitorListens)) << Output();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(second.Running());

  Process close(Tandmon(), {"-close"}, product.path(), Log());
  EXPECT_EQ(close.Wait(), 0) << Output();
  EXPECT_EQ(second.Wait(), 0) << Output();
  EXPECT_FALSE(MonitorListens());

  // With no monitor running, "-close" ends at once all the same.
  Process alone(Tandmon(), {"-close"}, product.path(), Log());
  EXPECT_EQ(alone.Wait(), 0) << Output();
  EXPECT_FALSE(MonitorListens());
  // The stock setup binds the Tandrix: nothing went wrong enough to log.
  EXPECT_FALSE(product.Exists("error.log")) << product.Read("error.log");
}

TEST_F(TandmonProcess, SigtermAndSigintCloseIt) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    Process monitor(Tandmon(), {}, product.path(), Log());
    ASSERT_TRUE(WaitFor(MonitorListens)) << Output();
    ::kill(monitor.pid(), signal);
    EXPECT_EQ(monitor.Wait(), 0) << Output();
    EXPECT_FALSE(MonitorListens());
  }
}

TEST_F(TandmonProcess, InstallPutsTheQtFrontEndBesideTheMonitor) {
  EXPECT_TRUE(product.Exists("libtandrix_ui_qt.so"));
}

}  // namespace
