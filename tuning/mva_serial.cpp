#include "tuning/mva_serial.h"

#include <algorithm>
#include <string>

#include "platform/joystick.h"
#include "platform/registry.h"

namespace {

using platform::Registry;
using platform::ScopedKey;

// The text of a string value up to its first zero; empty when missing.
bool ReadText(Registry& reg, platform::HKey key, std::string_view name, std::string& text) {
  platform::RegValue v;
  if (reg.QueryValue(key, name, v) != platform::kRegOk) return false;
  auto end = std::find(v.data.begin(), v.data.end(), std::uint8_t{0});
  text.assign(v.data.begin(), end);
  return true;
}

int CountSubkeys(Registry& reg, platform::HKey key) {
  int n = 0;
  std::string name;
  while (reg.EnumKey(key, static_cast<std::uint32_t>(n), name) == platform::kRegOk) ++n;
  return n;
}

// The number of subkeys of path, and (when portNames) the largest m in
// 1 .. 4 for which some subkey's "PortName" is "COM<m>".
void CountEnumKey(Registry& reg, std::string_view path, int& subkeys, int& portNumber) {
  subkeys = 0;
  portNumber = 0;
  ScopedKey key(reg);
  if (reg.OpenKey(platform::kHKeyLocalMachine, path, key.handle()) != platform::kRegOk) return;
  subkeys = CountSubkeys(reg, key.get());
  std::string name;
  for (std::uint32_t i = 0; reg.EnumKey(key.get(), i, name) == platform::kRegOk; ++i) {
    ScopedKey sub(reg);
    if (reg.OpenKey(key.get(), name, sub.handle()) != platform::kRegOk) continue;
    std::string port;
    if (!ReadText(reg, sub.get(), "PortName", port)) continue;
    // Ports above COM4 in this list do not raise the count by themselves.
    for (int m = 4; m >= 1; --m) {
      if (port == "COM" + std::to_string(m)) {
        portNumber = std::max(portNumber, m);
        break;
      }
    }
  }
}

}  // namespace

int MVA_CountComPorts(int& count) {
  Registry& reg = platform::SystemRegistry();
  int best = 0;

  // Plug-and-play root enumeration: its subkey count, and 1 + the highest
  // "000<i>" subkey present.
  {
    ScopedKey key(reg);
    if (reg.OpenKey(platform::kHKeyLocalMachine, "Enum\\Root\\*PNP0500", key.handle()) ==
        platform::kRegOk) {
      best = std::max(best, CountSubkeys(reg, key.get()));
      for (int i = 9; i >= 0; --i) {
        ScopedKey sub(reg);
        if (reg.OpenKey(key.get(), "000" + std::to_string(i), sub.handle()) == platform::kRegOk) {
          best = std::max(best, i + 1);
          break;
        }
      }
    }
  }

  // The serial-port map: COM1, COM2 ... as long as they follow each other,
  // up to COM6.
  {
    ScopedKey key(reg);
    if (reg.OpenKey(platform::kHKeyLocalMachine, "hardware\\devicemap\\serialcomm", key.handle()) ==
        platform::kRegOk) {
      int j = 0;
      while (j < 6) {
        std::uint32_t size = 0;
        if (reg.QueryValueEx(key.get(), "COM" + std::to_string(j + 1), nullptr, nullptr, &size) !=
            platform::kRegOk) {
          break;
        }
        ++j;
      }
      best = std::max(best, j);
    }
  }

  // The BIOS enumerations of both port kinds.
  for (std::string_view path : {"Enum\\BIOS\\*PNP0500", "Enum\\BIOS\\*PNP0501"}) {
    int subkeys = 0;
    int port = 0;
    CountEnumKey(reg, path, subkeys, port);
    best = std::max({best, subkeys, port});
  }

  count = best;
  return best;
}

int MVA_ShowJoystickControlPanel(void* window) {
  return platform::SystemJoystickService().ShowControlPanel(window) ? 1 : 0;
}
