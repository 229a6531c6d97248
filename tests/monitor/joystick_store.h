// The joystick store as the monitor tests see it: slot 1 bound to the
// driver or not, the configuration file the driver was last given, and a
// fresh in-memory store with a recording joystick service for a test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/dospath.h"
#include "platform/joystick.h"
#include "platform/registry.h"
#include "tuning/mva_joystick.h"

namespace montest {

// Binds joystick slot 1 to the driver, or takes the binding away (the
// Tandrix is then not the selected joystick).
inline void BindDriver(bool bound) {
  auto& reg = platform::SystemRegistry();
  platform::ScopedKey key(reg);
  std::string path = std::string(kMvaJoystickRoot) + "\\" +
                     std::string(platform::kDefaultJoystickDriverKey) + "\\" +
                     std::string(kMvaCurrentSettingsSubkey);
  ASSERT_EQ(reg.CreateKey(platform::kHKeyLocalMachine, path, key.handle()), platform::kRegOk);
  if (bound) {
    reg.SetString(key.get(), "Joystick1OEMCallout", kMvaDriverName);
  } else {
    reg.DeleteValue(key.get(), "Joystick1OEMCallout");
  }
}

// The configuration file the driver was last given ("" when none).
inline std::string LiveConfigFile() {
  auto& reg = platform::SystemRegistry();
  platform::ScopedKey key(reg);
  std::string path = std::string(kMvaJoystickRoot) + "\\" +
                     std::string(platform::kDefaultJoystickDriverKey) + "\\" +
                     std::string(kMvaDeviceSubkey);
  if (reg.OpenKey(platform::kHKeyLocalMachine, path, key.handle()) != platform::kRegOk) return {};
  platform::RegValue v;
  if (reg.QueryValue(key.get(), "Joy1ConfigurationFile", v) != platform::kRegOk) return {};
  std::string text(v.data.begin(), v.data.end());
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

// True when the live file is relative (a path below some folder), case aside.
inline bool LiveConfigIs(const std::string& relative) {
  std::string live = platform::ToLowerAscii(LiveConfigFile());
  std::string want = platform::ToLowerAscii("\\" + relative);
  return live.size() >= want.size() &&
         live.compare(live.size() - want.size(), want.size(), want) == 0;
}

// A fresh in-memory store with slot 1 bound to the driver and a recording
// joystick service, both put back when it goes.
class ScopedJoystickStore {
 public:
  ScopedJoystickStore() {
    platform::SetSystemRegistry(platform::NewMemoryRegistry());
    BindDriver(true);
    auto service = std::make_unique<platform::testing::RecordingJoystickService>();
    joystick = service.get();
    oldService_ = platform::SetJoystickService(std::move(service));
  }
  ~ScopedJoystickStore() {
    platform::SetJoystickService(std::move(oldService_));
    platform::SetSystemRegistry(nullptr);
  }
  ScopedJoystickStore(const ScopedJoystickStore&) = delete;
  ScopedJoystickStore& operator=(const ScopedJoystickStore&) = delete;

  platform::testing::RecordingJoystickService* joystick = nullptr;

 private:
  std::unique_ptr<platform::JoystickService> oldService_;
};

}  // namespace montest
