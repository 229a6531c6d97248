// Two programs activating configurations against one store file at the same
// time, and a program killed in the middle of an activation.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>
#include <vector>

#include "joystick_fixture.h"
#include "support/tempdir.h"
#include "tuning/mva_joystick.h"

namespace {

using namespace joytest;
using testsupport::TempDir;

using Values = std::map<std::string, Bytes>;

// Two configurations that differ in every tuning value: map, filter,
// sensitivities, curves and file name.
const char* const kConfigA =
    "LEVEL = BEGINNER\nAXIS_MAP_HRZ_USER = XYZRUV\n[HARRIER_1]\nHPFM_BEG = { ON, OFF, OFF }\n"
    "SENS_BEG_USER = { 1, 1, 1, 1, 1, 1, 1 }\nSF = 2\n"
    "TX = { { -512, -10 }, { 512, 10 } }\nTY = { { -512, -20 }, { 512, 20 } }\n"
    "TZ = { { -512, -30 }, { 512, 30 } }\nRX = { { -512, -40 }, { 512, 40 } }\n"
    "RY = { { -512, -50 }, { 512, 50 } }\nRZ = { { -512, -60 }, { 512, 60 } }\n"
    "TV = { { 0, 0 }, { 16, 16 } }\nRV = { { 0, 0 }, { 32, 8 } }\n";
const char* const kConfigB =
    "LEVEL = EXPERT\nAXIS_MAP_HRZ_USER = vuzyxr\n[HARRIER_1]\nHPFM_EXP = { OFF, ON, ON }\n"
    "SENS_EXP_USER = { 2, 2, 2, 2, 2, 2, 3 }\nSF = 3\n"
    "TX = { { -512, 100 }, { 0, 0 }, { 512, -100 } }\nTY = { { -512, 200 }, { 0, 0 }, { 512, -200 } }\n"
    "TZ = { { -512, 300 }, { 0, 0 }, { 512, -300 } }\nRX = { { -512, 400 }, { 0, 0 }, { 512, -400 } }\n"
    "RY = { { -512, 500 }, { 0, 0 }, { 512, -500 } }\nRZ = { { -512, 600 }, { 0, 0 }, { 512, -600 } }\n"
    "TV = { { 0, 0 }, { 8, 1 }, { 16, 16 } }\nRV = { { 0, 0 }, { 4, 1 }, { 32, 8 } }\n";

// Everything a configuration writes, found by activating it alone.
Values ValuesOf(const std::string& path) {
  JoystickWorld w;
  w.Install(1, {1, 2});
  EXPECT_EQ(MVA_ActivateCfgFile(path), 0);
  return w.Dump(kDriverKey);
}

std::unique_ptr<platform::Registry> OpenStore(const std::string& path) {
  std::string error;
  auto store = platform::OpenSqliteRegistry(path, &error);
  EXPECT_TRUE(store) << error;
  return store;
}

// Exit status bits of an activator.
constexpr int kActivationsFailed = 1;
constexpr int kMixSeen = 2;

// In a child process: activates path `times` times (alternating with
// other when given), then ends with kActivationsFailed / kMixSeen. When
// whole is given, every activation is followed by a look at all values in
// one read, which must find one of those configurations entire.
[[noreturn]] void Activator(const std::string& store, const std::string& path,
                            const std::string& other, int times,
                            const std::vector<Values>& whole = {}) {
  std::string error;
  auto reg = platform::OpenSqliteRegistry(store, &error);
  if (!reg) ::_exit(100);
  JoystickWorld w{std::move(reg)};
  int code = 0;
  for (int i = 0; times < 0 || i < times; ++i) {
    const std::string& p = (!other.empty() && i % 2 == 1) ? other : path;
    if (MVA_ActivateCfgFile(p) != 0) code |= kActivationsFailed;
    if (!whole.empty()) {
      platform::RegTransaction view(w.reg());
      const Values now = w.Dump(kDriverKey);
      view.Commit();
      if (std::find(whole.begin(), whole.end(), now) == whole.end()) code |= kMixSeen;
    }
  }
  platform::SetSystemRegistry(nullptr);
  ::_exit(code);
}

// Every value of the store is whole and one of the configurations' own.
void ExpectWholeValues(const std::string& store, const Values& a, const Values& b) {
  JoystickWorld w{OpenStore(store)};
  Values now = w.Dump(kDriverKey);
  EXPECT_EQ(now.size(), a.size());
  for (const auto& [name, bytes] : now) {
    auto ia = a.find(name);
    auto ib = b.find(name);
    ASSERT_TRUE(ia != a.end() && ib != b.end()) << "unexpected value " << name;
    EXPECT_TRUE(bytes == ia->second || bytes == ib->second) << "torn or foreign value " << name;
  }
}

class JoystickConcurrency : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("a.vcg", kConfigA);
    dir.Write("b.vcg", kConfigB);
    a = ValuesOf(dir.Host("a.vcg"));
    b = ValuesOf(dir.Host("b.vcg"));
    store = dir.Host("registry.db");
    // The store as installed, with configuration A live; the parent keeps
    // no connection open across the fork.
    JoystickWorld w{OpenStore(store)};
    w.Install(1, {1, 2});
    ASSERT_EQ(MVA_ActivateCfgFile(dir.Host("a.vcg")), 0);
  }

  TempDir dir;
  Values a, b;
  std::string store;
};

TEST_F(JoystickConcurrency, TheConfigurationsReallyDiffer) {
  for (const char* name : {"JoystickSettings\\Vexor\\Joy1ConfigurationFile",
                           "JoystickSettings\\Vexor\\Joystick1OEMConfiguration",
                           "JoystickSettings\\Vexor\\Joystick2OEMConfiguration",
                           "JoystickSettings\\Vexor\\Joystick1Filter",
                           "JoystickSettings\\Vexor\\Joystick1Sensitivity",
                           "JoystickSettings\\Vexor\\Joystick1OEMxAxis",
                           "JoystickSettings\\Vexor\\Joystick1OEMtAxis"}) {
    ASSERT_TRUE(a.count(name)) << name;
    EXPECT_NE(a.at(name), b.at(name)) << name;
  }
}

// After every activation of either program, one read finds all values of
// one configuration, never some of each.
TEST_F(JoystickConcurrency, TwoProgramsActivating200TimesEachNeverShowAMix) {
  pid_t first = ::fork();
  ASSERT_GE(first, 0);
  if (first == 0) Activator(store, dir.Host("a.vcg"), "", 200, {a, b});
  pid_t second = ::fork();
  ASSERT_GE(second, 0);
  if (second == 0) Activator(store, dir.Host("b.vcg"), "", 200, {a, b});
  for (pid_t pid : {first, second}) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status) & kActivationsFailed, 0) << "activations failed in " << pid;
    EXPECT_EQ(WEXITSTATUS(status) & kMixSeen, 0) << "a mix of two configurations seen by " << pid;
  }
  ExpectWholeValues(store, a, b);
}

TEST_F(JoystickConcurrency, AProgramKilledMidActivationLeavesAStoreThatOpens) {
  for (int round = 0; round < 6; ++round) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) Activator(store, dir.Host("b.vcg"), dir.Host("a.vcg"), -1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + 23 * round));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the activator ended by itself: " << status;
    ExpectWholeValues(store, a, b);
  }
}

}  // namespace
