// The built Tandmon as real processes, without a display, in a product
// folder made by tandrix install with a store of its own: a second start
// replaces the first, "Tandmon -close" ends the second, SIGTERM ends it too.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/tempdir.h"
#include "ui/instance.h"

namespace {

using testsupport::ScopedEnv;
using testsupport::TempDir;

using Process = testsupport::ChildProcess;
using testsupport::WaitFor;

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
