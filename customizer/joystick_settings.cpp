#include "customizer/joystick_settings.h"

#include "platform/dospath.h"
#include "platform/profile.h"
#include "tuning/mva_config.h"
#include "tuning/mva_joystick.h"
#include "tuning/mva_serial.h"

namespace {

constexpr std::string_view kAcceptedMapLetters = "XYZRUVxyzruv";
constexpr std::size_t kProfileBuffer = 260;

}  // namespace

JoystickSettingsView ReadJoystickSettings() {
  JoystickSettingsView view;
  int joyId = -1;
  MVA_FindJoystickId(joyId);
  view.joyId = joyId < 0 ? 0 : joyId;

  int count = 0;
  MVA_CountComPorts(count);
  for (int n = 1; n <= count; ++n) view.ports.push_back(PortText(n));

  MVA_GetAxisMap(view.joyId, view.axisMap);

  // The slot's port when it holds a valid one; otherwise the field shows
  // the last port of the list, as it always has, but that is remembered
  // as a stand-in rather than the slot's value.
  int port = -1;
  MVA_GetComPort(view.joyId, port);
  view.portFromSlot = port >= 1;
  view.port = view.portFromSlot ? port : count;
  return view;
}

std::string PortText(int port) { return "COM" + std::to_string(port); }

int PortNumberOfText(std::string_view text) {
  if (text.size() <= 3) return 0;
  text.remove_prefix(3);
  // As atoi reads it: blanks, a sign, digits; stop at anything else.
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 1000000) break;  // far past any port; no overflow
  }
  return static_cast<int>(negative ? -value : value);
}

bool IsAcceptableAxisMap(std::string_view text) {
  if (text.size() < kMvaMapLength) return false;
  for (std::size_t i = 0; i < kMvaMapLength; ++i) {
    if (kAcceptedMapLetters.find(text[i]) == std::string_view::npos) return false;
  }
  return true;
}

int ChosenPort(const JoystickSettingsView& view, std::string_view portText, bool userChosePort) {
  if (!userChosePort && !view.portFromSlot) return 0;
  return PortNumberOfText(portText);
}

platform::RegStatus WriteJoystickSettings(std::string_view axisMap, int port) {
  // Some forty writes: as one whole they wait for a locked store once, and
  // a store that refuses one of them keeps none.
  platform::RegTransaction group(platform::SystemRegistry());
  if (group.status() != platform::kRegOk) return group.status();
  // The slot's field holds six letters; anything typed after them is not
  // part of the map.
  const std::string_view map = axisMap.substr(0, kMvaMapLength);
  for (int slot = 0; slot < kMvaJoystickSlots; ++slot) MVA_SetAxisMap(slot, map);
  // MVA_SetComPort writes nothing for a port outside 1 .. 6, so port 0
  // leaves every slot's port as it is.
  for (int slot = 0; slot < kMvaJoystickSlots; ++slot) MVA_SetComPort(slot, port);
  int joyId = -1;
  if (MVA_FindJoystickId(joyId) == 0 && joyId >= 0) MVA_SetupJoystick(joyId, port, map);
  return group.Commit();
}

std::string MonitorSettingsPath() { return platform::CurrentDirectory() + "\\tandmon.ini"; }

int ReadDefaultJoystickChoice() {
  const std::string config = platform::GetPrivateProfileString("Defaults", "Config", "~",
                                                               kProfileBuffer, MonitorSettingsPath());
  if (config == "Joy2D.vcg") return kDefaultJoy2D;
  if (config == "Joy3D.vcg") return kDefaultJoy3D;
  return kDefaultGeneric;
}

std::string_view DefaultJoystickFile(int choice) {
  switch (choice) {
    case kDefaultJoy2D: return "Joy2D.vcg";
    case kDefaultJoy3D: return "Joy3D.vcg";
    case kDefaultGeneric: return "Generic.vcg";
    default: return {};
  }
}

bool WriteDefaultJoystickChoice(int choice) {
  const std::string_view file = DefaultJoystickFile(choice);
  if (file.empty()) return false;
  return platform::WritePrivateProfileString("Defaults", "Config", file, MonitorSettingsPath());
}
