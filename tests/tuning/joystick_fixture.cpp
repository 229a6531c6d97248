#include "joystick_fixture.h"

#include <gtest/gtest.h>

namespace joytest {

using namespace platform;

Bytes Text(const std::string& s) {
  Bytes b(s.begin(), s.end());
  b.push_back(0);
  return b;
}

Bytes Le32(std::initializer_list<std::int32_t> values) {
  Bytes b;
  for (std::int32_t v : values) {
    auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
  }
  return b;
}

Bytes Oem(const std::string& com, const std::string& map, std::initializer_list<std::int32_t> head) {
  Bytes b = Le32(head);
  b.resize(28, 0);
  std::copy(com.begin(), com.end(), b.begin() + 16);
  std::copy(map.begin(), map.end(), b.begin() + 21);
  return b;
}

JoystickWorld::JoystickWorld(std::unique_ptr<Registry> store) {
  SetSystemRegistry(store ? std::move(store) : platform::testing::NewScratchRegistry());
  log = std::make_shared<platform::testing::CallLog>();
  service = new platform::testing::RecordingJoystickService(log);
  port = new platform::testing::RecordingDriverPort(log);
  SetJoystickService(std::unique_ptr<JoystickService>(service));
  SetDriverPort(std::unique_ptr<DriverPort>(port));
}

JoystickWorld::~JoystickWorld() {
  SetSystemRegistry(nullptr);
  SetJoystickService(nullptr);
  SetDriverPort(nullptr);
}

void JoystickWorld::Install(int boundSlot, std::vector<int> oemSlots) {
  HKey k = kNoKey;
  ASSERT_EQ(reg().CreateKey(kHKeyLocalMachine, kCurrentKey, k), kRegOk);
  reg().CloseKey(k);
  ASSERT_EQ(reg().CreateKey(kHKeyLocalMachine, kPrivateRoot, k), kRegOk);
  reg().CloseKey(k);
  if (boundSlot > 0) {
    SetText(kCurrentKey, "Joystick" + std::to_string(boundSlot) + "OEMCallout", "vexor.vxd");
  }
  for (int slot : oemSlots) {
    Set(kDeviceKey, "Joystick" + std::to_string(slot) + "OEMConfiguration", Oem("COM1", "XYZRUV"));
  }
}

void JoystickWorld::Set(const std::string& key, const std::string& name, const Bytes& bytes,
                        RegType type) {
  HKey k = kNoKey;
  ASSERT_EQ(reg().CreateKey(kHKeyLocalMachine, key, k), kRegOk) << key;
  ASSERT_EQ(reg().SetValueEx(k, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
            kRegOk);
  reg().CloseKey(k);
}

bool JoystickWorld::HasKey(const std::string& key) {
  HKey k = kNoKey;
  if (reg().OpenKey(kHKeyLocalMachine, key, k) != kRegOk) return false;
  reg().CloseKey(k);
  return true;
}

bool JoystickWorld::Has(const std::string& key, const std::string& name) {
  HKey k = kNoKey;
  if (reg().OpenKey(kHKeyLocalMachine, key, k) != kRegOk) return false;
  RegValue v;
  bool has = reg().QueryValue(k, name, v) == kRegOk;
  reg().CloseKey(k);
  return has;
}

Bytes JoystickWorld::Get(const std::string& key, const std::string& name) {
  HKey k = kNoKey;
  if (reg().OpenKey(kHKeyLocalMachine, key, k) != kRegOk) return {};
  RegValue v;
  reg().QueryValue(k, name, v);
  reg().CloseKey(k);
  return v.data;
}

std::map<std::string, Bytes> JoystickWorld::Dump(const std::string& key) {
  std::map<std::string, Bytes> out;
  HKey k = kNoKey;
  if (reg().OpenKey(kHKeyLocalMachine, key, k) != kRegOk) return out;
  std::string name;
  RegValue v;
  for (std::uint32_t i = 0; reg().EnumValue(k, i, name, v) == kRegOk; ++i) out[name] = v.data;
  std::vector<std::string> subs;
  for (std::uint32_t i = 0; reg().EnumKey(k, i, name) == kRegOk; ++i) subs.push_back(name);
  reg().CloseKey(k);
  for (const auto& s : subs) {
    for (auto& [n, bytes] : Dump(key + "\\" + s)) out[s + "\\" + n] = bytes;
  }
  return out;
}

}  // namespace joytest
