// A joystick world for tests: a scratch registry store of the host's kind
// (in memory on Linux, the system's registry on Windows), a recording
// joystick service and driver port sharing one call log, and helpers to
// seed the keys the system installer makes and to read values back.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/joystick.h"
#include "platform/registry.h"

namespace joytest {

using Bytes = std::vector<std::uint8_t>;

inline const std::string kDriverKey =
    "System\\CurrentControlSet\\Control\\MediaResources\\Joystick\\JoystickDriver<0000>";
inline const std::string kDeviceKey = kDriverKey + "\\JoystickSettings\\Vexor";
inline const std::string kCurrentKey = kDriverKey + "\\CurrentJoystickSettings";
inline const std::string kPrivateRoot =
    "System\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\Joystick\\OEM";
inline const std::string kPrivateKey = kPrivateRoot + "\\Vexor";

Bytes Text(const std::string& s);  // the bytes of a string value, with its zero
Bytes Le32(std::initializer_list<std::int32_t> values);
// The 28-byte OEM configuration, built by hand.
Bytes Oem(const std::string& com, const std::string& map,
          std::initializer_list<std::int32_t> head = {2000, 60000, -1, -1});

class JoystickWorld {
 public:
  // Installs the given store (a fresh scratch store when null).
  explicit JoystickWorld(std::unique_ptr<platform::Registry> store = nullptr);
  ~JoystickWorld();
  JoystickWorld(const JoystickWorld&) = delete;
  JoystickWorld& operator=(const JoystickWorld&) = delete;

  platform::Registry& reg() { return platform::SystemRegistry(); }

  // The keys of an installed system: the joystick root, the driver key, the
  // current settings with boundSlot (0: none) bound to the driver, the
  // device key with an OEM configuration for each slot of oemSlots, and the
  // private key's parent.
  void Install(int boundSlot = 1, std::vector<int> oemSlots = {1});

  void Set(const std::string& key, const std::string& name, const Bytes& bytes,
           platform::RegType type = platform::kRegBinary);
  void SetText(const std::string& key, const std::string& name, const std::string& text) {
    Set(key, name, Text(text), platform::kRegSz);
  }
  bool Has(const std::string& key, const std::string& name);
  Bytes Get(const std::string& key, const std::string& name);  // empty when missing
  bool HasKey(const std::string& key);
  // Every value below key, by "subkey path\name" relative to key.
  std::map<std::string, Bytes> Dump(const std::string& key);

  std::shared_ptr<platform::testing::CallLog> log;
  platform::testing::RecordingJoystickService* service = nullptr;
  platform::testing::RecordingDriverPort* port = nullptr;
};

// A store that passes every call to another but fails the writes it is
// told to fail, as a full disk or a locked store would.
class FailingRegistry final : public platform::Registry {
 public:
  explicit FailingRegistry(std::unique_ptr<platform::Registry> inner) : inner_(std::move(inner)) {}
  int writesBeforeFailure = -1;  // negative: never fail
  int writes = 0;
  platform::RegStatus failure = platform::kRegIoFailed;  // what a failed write answers

  platform::RegStatus OpenKey(platform::HKey p, std::string_view s, platform::HKey& r) override {
    return inner_->OpenKey(p, s, r);
  }
  platform::RegStatus CreateKey(platform::HKey p, std::string_view s, platform::HKey& r) override {
    return inner_->CreateKey(p, s, r);
  }
  platform::RegStatus QueryValueEx(platform::HKey k, std::string_view n, platform::RegType* t,
                                   std::uint8_t* d, std::uint32_t* s) override {
    return inner_->QueryValueEx(k, n, t, d, s);
  }
  platform::RegStatus SetValueEx(platform::HKey k, std::string_view n, platform::RegType t,
                                 const std::uint8_t* d, std::uint32_t s) override {
    if (writesBeforeFailure >= 0 && writes >= writesBeforeFailure) {
      // As the store does: a failed write inside a group undoes the group.
      if (depth_ > 0 && groupFailure_ == platform::kRegOk) groupFailure_ = failure;
      return failure;
    }
    ++writes;
    return inner_->SetValueEx(k, n, t, d, s);
  }
  platform::RegStatus EnumKey(platform::HKey k, std::uint32_t i, std::string& n) override {
    return inner_->EnumKey(k, i, n);
  }
  platform::RegStatus EnumValue(platform::HKey k, std::uint32_t i, std::string& n,
                                platform::RegValue& v) override {
    return inner_->EnumValue(k, i, n, v);
  }
  platform::RegStatus DeleteKey(platform::HKey k, std::string_view s) override {
    return inner_->DeleteKey(k, s);
  }
  platform::RegStatus DeleteValue(platform::HKey k, std::string_view n) override {
    return inner_->DeleteValue(k, n);
  }
  platform::RegStatus FlushKey(platform::HKey k) override { return inner_->FlushKey(k); }
  platform::RegStatus CloseKey(platform::HKey k) override { return inner_->CloseKey(k); }
  platform::RegStatus BeginTransaction() override {
    platform::RegStatus s = inner_->BeginTransaction();
    if (s == platform::kRegOk && depth_++ == 0) groupFailure_ = platform::kRegOk;
    return s;
  }
  platform::RegStatus EndTransaction(bool commit) override {
    --depth_;
    platform::RegStatus s = inner_->EndTransaction(commit && groupFailure_ == platform::kRegOk);
    return depth_ == 0 && groupFailure_ != platform::kRegOk ? groupFailure_ : s;
  }

 private:
  std::unique_ptr<platform::Registry> inner_;
  int depth_ = 0;
  platform::RegStatus groupFailure_ = platform::kRegOk;
};

}  // namespace joytest
