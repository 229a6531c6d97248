// This build's joystick service and driver port, and the recording fakes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "platform/joystick.h"
#include "support/tempdir.h"

namespace {

using namespace platform;
using testsupport::ScopedEnv;
using testsupport::TempDir;

TEST(JoystickService, NamesTheDriverKeyOnlyForAWellFormedQuery) {
  SetJoystickService(nullptr);
  struct Case {
    unsigned id;
    unsigned size;
    unsigned result;
  };
  const Case cases[] = {
      {kJoyIdAll, kJoyCapsSize, kJoyErrNoError},
      {0, kJoyCapsSize, kJoyErrNoError},
      {15, kJoyCapsSize, kJoyErrNoError},
      {16, kJoyCapsSize, kJoyErrBadDeviceId},
      {kJoyIdAll, 100, kJoyErrInvalidParam},
  };
  for (const auto& c : cases) {
    std::string key = "untouched";
    EXPECT_EQ(SystemJoystickService().GetDevCaps(c.id, c.size, key), c.result) << c.id << " " << c.size;
    EXPECT_EQ(key, c.result == kJoyErrNoError ? std::string(kDefaultJoystickDriverKey) : "untouched");
  }
  EXPECT_EQ(SystemJoystickService().ConfigChanged(0), kJoyErrNoError);
}

TEST(JoystickService, StartsTheSettingsProgramOnlyWhenTheHostHasOne) {
  SetJoystickService(nullptr);
  TempDir dir;
  const std::string marker = dir.Host("started");
  dir.Write("panel.sh", "#!/bin/sh\ntouch '" + marker + "'\n");
  ::chmod(dir.Host("panel.sh").c_str(), 0755);
  dir.Write("notexec.sh", "#!/bin/sh\n");

  {
    ScopedEnv e("TANDRIX_JOYSTICK_PANEL", dir.Host("panel.sh").c_str());
    ASSERT_TRUE(SystemJoystickService().ShowControlPanel(nullptr));
    for (int i = 0; i < 200 && !dir.Exists("started"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(dir.Exists("started"));
  }
  {
    ScopedEnv p("PATH", dir.path().c_str());
    ScopedEnv e("TANDRIX_JOYSTICK_PANEL", "panel.sh");  // found on PATH
    EXPECT_TRUE(SystemJoystickService().ShowControlPanel(nullptr));
  }
  for (const char* none : {"", "no-such-program-here", "notexec.sh"}) {
    ScopedEnv p("PATH", dir.path().c_str());
    ScopedEnv e("TANDRIX_JOYSTICK_PANEL", none);
    EXPECT_FALSE(SystemJoystickService().ShowControlPanel(nullptr)) << none;
  }
}

TEST(DriverPort, IsAbsentUnlessReplaced) {
  SetDriverPort(nullptr);
  DriverPort& port = SystemDriverPort();
  EXPECT_EQ(port.CreateFile("\\\\.\\VEXOR.VXD", 0, 0, 0, kFileFlagDeleteOnClose), kInvalidDriverHandle);
  EXPECT_EQ(port.LastError(), kErrorFileNotFound);

  auto log = std::make_shared<platform::testing::CallLog>();
  auto* fake = new platform::testing::RecordingDriverPort(log);
  SetDriverPort(std::unique_ptr<DriverPort>(fake));
  DriverHandle h = SystemDriverPort().CreateFile("\\\\.\\VEXOR.VXD", 0, 0, 0, kFileFlagDeleteOnClose);
  EXPECT_NE(h, kInvalidDriverHandle);
  EXPECT_TRUE(SystemDriverPort().DeviceIoControl(h, 1));
  EXPECT_TRUE(SystemDriverPort().CloseHandle(h));
  EXPECT_EQ(*log, (platform::testing::CallLog{"open \\\\.\\VEXOR.VXD 0 0 0 67108864", "control 1", "close"}));
  SetDriverPort(nullptr);
}

}  // namespace
