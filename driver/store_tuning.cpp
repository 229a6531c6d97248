#include "driver/store_tuning.h"

#include <cstring>

#include "platform/joystick.h"
#include "platform/registry.h"
#include "tuning/mva_joystick.h"

namespace vexord {
namespace {

using platform::kRegOk;

std::int32_t Int32At(const std::vector<std::uint8_t>& bytes, std::size_t index) {
  std::uint32_t v = 0;
  for (int b = 3; b >= 0; --b) v = (v << 8) | bytes[index * 4 + static_cast<std::size_t>(b)];
  return static_cast<std::int32_t>(v);
}

std::string Text(const platform::RegValue& value) {
  std::string text(value.data.begin(), value.data.end());
  if (const std::size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  return text;
}

}  // namespace

std::optional<Tuning> ReadStoreTuning(std::string& why) {
  platform::Registry& reg = platform::SystemRegistry();
  // One snapshot: an activation that commits meanwhile is seen whole or
  // not at all.
  platform::RegTransaction snapshot(reg);
  int joyId = -1;
  if (MVA_FindJoystickId(joyId) != 0) {
    const std::string error = platform::SystemRegistryError();
    why = error.empty() ? "no joystick slot is bound to " + std::string(kMvaDriverName) : error;
    return std::nullopt;
  }
  std::string driverKey;
  if (platform::SystemJoystickService().GetDevCaps(platform::kJoyIdAll, platform::kJoyCapsSize,
                                                   driverKey) != platform::kJoyErrNoError) {
    why = "the joystick service names no driver key";
    return std::nullopt;
  }
  platform::ScopedKey device(reg);
  const std::string path =
      std::string(kMvaJoystickRoot) + "\\" + driverKey + "\\" + std::string(kMvaDeviceSubkey);
  if (reg.OpenKey(platform::kHKeyLocalMachine, path, device.handle()) != kRegOk) {
    why = "no configuration has been made live yet";
    return std::nullopt;
  }
  const std::string slot = std::to_string(joyId + 1);
  auto query = [&](const std::string& name, platform::RegValue& value, std::size_t size) {
    if (reg.QueryValue(device.get(), name, value) != kRegOk) {
      why = name + " is missing";
      return false;
    }
    if (size != 0 && value.data.size() != size) {
      why = name + " holds " + std::to_string(value.data.size()) + " bytes, not " +
            std::to_string(size);
      return false;
    }
    return true;
  };

  Tuning t;
  platform::RegValue value;
  for (std::size_t a = 0; a < t.tables.size(); ++a) {
    const std::string name = "Joystick" + slot + "OEM" + kMvaAxisLetters[a] + "Axis";
    if (!query(name, value, kMvaAxisTableSize)) return std::nullopt;
    MVA_AxisTable& table = t.tables[a];
    table.segmentCount = Int32At(value.data, 0);
    for (std::size_t c = 0; c < 4; ++c) {
      for (std::size_t i = 0; i < kMvaTableSegments; ++i) {
        table.column[c][i] = Int32At(value.data, 1 + c * kMvaTableSegments + i);
      }
    }
  }
  if (!query("Joystick" + slot + "Sensitivity", value, kMvaSensitivitySize)) return std::nullopt;
  for (std::size_t i = 0; i < t.sens.size(); ++i) t.sens[i] = Int32At(value.data, i);
  if (!query("Joystick" + slot + "Filter", value, 0)) return std::nullopt;
  const std::string filter = Text(value);
  t.filter = filter.size() == 1 && filter[0] >= '0' && filter[0] <= '9' ? filter[0] - '0' : -1;
  if (MVA_GetAxisMap(joyId, t.axisMap) != 1) {
    why = "Joystick" + slot + "OEMConfiguration holds no axis map";
    return std::nullopt;
  }
  if (query("Joy" + slot + "ConfigurationFile", value, 0)) t.configuration = Text(value);
  if (auto bad = Malformed(t)) {
    why = *bad + " (slot " + slot + ")";
    return std::nullopt;
  }
  why.clear();
  return t;
}

}  // namespace vexord
