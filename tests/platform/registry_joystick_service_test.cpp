// This build's joystick service and driver port, and the recording fakes.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstdio>
#include <filesystem>

#include <chrono>
#include <thread>

#include "platform/driver_socket.h"
#include "platform/joystick.h"
#include "platform/unique_fd.h"
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
  TempDir runtime;  // no driver listens in this runtime folder
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
  SetDriverPort(nullptr);
  DriverPort& port = SystemDriverPort();
  EXPECT_EQ(port.CreateFile("\\\\.\\VEXOR.VXD", 0, 0, 0, kFileFlagDeleteOnClose), kInvalidDriverHandle);
  EXPECT_EQ(port.LastError(), kErrorFileNotFound);

  // A driver that listens: the port reaches only it, by its device name,
  // and each code gets the driver's answer (0 taken, anything else not).
  std::filesystem::create_directory(runtime.Host("tandrix"));
  UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM, 0));
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", DriverSocketPath().c_str());
  ASSERT_EQ(::bind(listener.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(listener.get(), 1), 0);
  std::thread driver([&] {
    UniqueFd client(::accept(listener.get(), nullptr, nullptr));
    unsigned char code;
    while (::recv(client.get(), &code, 1, 0) == 1) {
      const unsigned char answer = code <= 2 ? kDriverAnswerOk : kDriverAnswerRefused;
      ::send(client.get(), &answer, 1, 0);
    }
  });
  EXPECT_EQ(port.CreateFile("\\\\.\\OTHER.VXD", 0, 0, 0, 0), kInvalidDriverHandle);
  const DriverHandle live = port.CreateFile("\\\\.\\vexor.vxd", 0, 0, 0, kFileFlagDeleteOnClose);
  EXPECT_NE(live, kInvalidDriverHandle);
  EXPECT_TRUE(port.DeviceIoControl(live, 1));
  EXPECT_FALSE(port.DeviceIoControl(live, 9));
  EXPECT_TRUE(port.DeviceIoControl(live, 2));
  EXPECT_TRUE(port.CloseHandle(live));
  EXPECT_FALSE(port.CloseHandle(live));
  ::shutdown(listener.get(), SHUT_RDWR);  // wakes the stand-in should nothing have come
  driver.join();

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
