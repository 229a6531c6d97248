// The joystick settings of the Options menu without their dialogs: the
// axis map check, the ports offered and shown, all sixteen slots, and the
// default configuration in the monitor's settings file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "customizer/joystick_settings.h"
#include "customizer_fixture.h"
#include "platform/profile.h"

namespace {

using joytest::Oem;

const std::string kSerialMap = "hardware\\devicemap\\serialcomm";

std::string SlotName(int slot) { return "Joystick" + std::to_string(slot) + "OEMConfiguration"; }

// The COM port and map text of a slot's OEM configuration.
std::pair<std::string, std::string> SlotFields(joytest::JoystickWorld& w, int slot) {
  const joytest::Bytes b = w.Get(joytest::kDeviceKey, SlotName(slot));
  if (b.size() != 28) return {"<none>", "<none>"};
  return {std::string(reinterpret_cast<const char*>(&b[16])),
          std::string(reinterpret_cast<const char*>(&b[21]))};
}

void AddSerialPorts(joytest::JoystickWorld& w, int count) {
  for (int n = 1; n <= count; ++n) {
    w.SetText(kSerialMap, "COM" + std::to_string(n), "COM" + std::to_string(n));
  }
}

TEST(JoystickSettings, AcceptsSixMapLettersInEitherCase) {
  const std::pair<const char*, bool> rows[] = {
      {"XYZRUV", true},  {"xyzruv", true},  {"XzYrUv", true}, {"VUZRYX", true},
      {"XYZRUVW", true},  // only the first six count
      {"XYZRU", false},  {"XYZRUW", false}, {"", false},      {"XYZ RU", false},
  };
  for (const auto& [map, ok] : rows) EXPECT_EQ(IsAcceptableAxisMap(map), ok) << map;
}

TEST(JoystickSettings, ReadsThePortNumberAfterThreeCharacters) {
  const std::pair<const char*, int> rows[] = {
      {"COM2", 2}, {"com4", 4}, {"COM", 0}, {"", 0}, {"COM12", 12}, {"COMx", 0}, {"COM 3", 3},
  };
  for (const auto& [text, port] : rows) EXPECT_EQ(PortNumberOfText(text), port) << text;
}

// What the dialog opens with, by serial ports and the bound slot's value.
TEST(JoystickSettings, OpensWithTheBoundSlotsValues) {
  struct Row {
    const char* what;
    int ports;
    int boundSlot;         // 0: none bound
    std::string slotPort;  // the bound (or first) slot's COM text
    int shownPort;
    bool fromSlot;
    int joyId;
  };
  const Row rows[] = {
      {"four ports, slot on COM2", 4, 3, "COM2", 2, true, 2},
      {"four ports, no valid port", 4, 3, "COM9", 4, false, 2},
      {"no ports, no valid port", 0, 1, "", 0, false, 0},
      {"no ports, slot on COM3", 0, 1, "COM3", 3, true, 0},
      {"no slot bound: slot 1's values", 2, 0, "COM1", 1, true, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    joytest::JoystickWorld world;
    world.Install(r.boundSlot, {1, 3});
    AddSerialPorts(world, r.ports);
    const int slot = r.boundSlot ? r.boundSlot : 1;
    world.Set(joytest::kDeviceKey, SlotName(slot), Oem(r.slotPort, "xYZRUv"));
    const JoystickSettingsView view = ReadJoystickSettings();
    EXPECT_EQ(view.joyId, r.joyId);
    EXPECT_EQ(view.ports.size(), static_cast<std::size_t>(r.ports));
    if (r.ports == 4) {
      EXPECT_EQ(view.ports, (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4"}));
    }
    EXPECT_EQ(view.port, r.shownPort);
    EXPECT_EQ(view.portFromSlot, r.fromSlot);
    EXPECT_EQ(view.axisMap, "xYZRUv");
  }
}

TEST(JoystickSettings, WritesOnlyAPortTheUserChoseOrTheSlotHeld) {
  JoystickSettingsView fallback;
  fallback.port = 4;
  JoystickSettingsView held;
  held.port = 2;
  held.portFromSlot = true;
  EXPECT_EQ(ChosenPort(fallback, "COM4", false), 0);  // only shown, never chosen
  EXPECT_EQ(ChosenPort(fallback, "COM4", true), 4);   // picked, even the same item
  EXPECT_EQ(ChosenPort(fallback, "COM3", true), 3);
  EXPECT_EQ(ChosenPort(held, "COM2", false), 2);
  EXPECT_EQ(ChosenPort(held, "COM5", true), 5);
}

TEST(JoystickSettings, SetsPortAndMapInAllSixteenSlots) {
  struct Row {
    const char* what;
    std::string map;
    int port;
    std::string wantPort;  // in every slot; the old "COM1" when no port is written
    std::string wantMap;
  };
  const Row rows[] = {
      {"port 2", "XYZRUV", 2, "COM2", "XYZRUV"},
      {"reversed map, no port", "xyzruv", 0, "COM1", "xyzruv"},
      {"port 7 is not a port", "XYZRUV", 7, "COM1", "XYZRUV"},
      {"letters after the sixth dropped", "XZYRVUW", 6, "COM6", "XZYRVU"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    joytest::JoystickWorld world;
    std::vector<int> all;
    for (int s = 1; s <= 16; ++s) all.push_back(s);
    world.Install(5, all);
    WriteJoystickSettings(r.map, r.port);
    for (int slot = 1; slot <= 16; ++slot) {
      EXPECT_EQ(SlotFields(world, slot), std::make_pair(r.wantPort, r.wantMap)) << "slot " << slot;
    }
    // The bound slot is set up for the driver.
    EXPECT_EQ(world.Get(joytest::kCurrentKey, "Joystick5OEMName"), joytest::Text("Vexor"));
  }
}

TEST(JoystickSettings, WithoutABoundSlotWritesTheSlotsButSetsUpNone) {
  joytest::JoystickWorld world;
  world.Install(0, {1, 2});
  WriteJoystickSettings("XYZRUV", 3);
  EXPECT_EQ(SlotFields(world, 2), std::make_pair(std::string("COM3"), std::string("XYZRUV")));
  for (const std::string& call : *world.log) {
    EXPECT_EQ(call.rfind("devcaps", 0), 0u) << "the driver was opened: " << call;
  }
  EXPECT_FALSE(world.Has(joytest::kCurrentKey, "Joystick1OEMName"));
}

TEST(DefaultJoystick, ChoiceFollowsTheExactFileName) {
  const std::pair<const char*, int> rows[] = {
      {"Joy2D.vcg", kDefaultJoy2D}, {"Joy3D.vcg", kDefaultJoy3D}, {"Generic.vcg", kDefaultGeneric},
      {"joy2d.vcg", kDefaultGeneric}, {"JOY3D.VCG", kDefaultGeneric}, {nullptr, kDefaultGeneric},
  };
  for (const auto& [config, choice] : rows) {
    SCOPED_TRACE(config ? config : "(no Config)");
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.path());
    dir.Write("Tandmon.ini", custtest::Crlf(std::string("[Defaults]\nShowJoystick=1\n") +
                                           (config ? std::string("Config=") + config + "\n" : "")));
    EXPECT_EQ(ReadDefaultJoystickChoice(), choice);
  }
}

TEST(DefaultJoystick, WritesTheChoicesFileIntoTheMonitorsSettings) {
  const std::pair<int, const char*> rows[] = {
      {kDefaultJoy2D, "Joy2D.vcg"}, {kDefaultJoy3D, "Joy3D.vcg"}, {kDefaultGeneric, "Generic.vcg"}};
  for (const auto& [choice, file] : rows) {
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.path());
    dir.Write("Tandmon.ini", custtest::Crlf("[Games]\nCurrent=quake.vcg\n[Defaults]\nConfig=Joy2D.vcg\n"));
    EXPECT_TRUE(WriteDefaultJoystickChoice(choice));
    EXPECT_EQ(dir.Read("Tandmon.ini"),
              custtest::Crlf(std::string("[Games]\nCurrent=quake.vcg\n[Defaults]\nConfig=") + file + "\n"));
  }
  testsupport::TempDir dir;
  testsupport::ScopedCwd cwd(dir.path());
  EXPECT_FALSE(WriteDefaultJoystickChoice(-1));
  EXPECT_FALSE(dir.Exists("Tandmon.ini"));
}

}  // namespace
