// The COM port and axis map of a slot, the slot lookup and the slot setup.
#include <gtest/gtest.h>

#include "joystick_fixture.h"
#include "tuning/mva_device.h"
#include "tuning/mva_joystick.h"

namespace {

using namespace joytest;

TEST(JoystickOem, SettingThePortAndTheMap) {
  struct Case {
    const char* what;
    Bytes before;   // slot 1's value; empty: none
    bool isSet;     // false: the value is not written at all
    int port;       // SetComPort when non-zero
    const char* map;  // SetAxisMap when non-null
    int result;
    Bytes after;
  };
  const Case cases[] = {
      {"port 3", Oem("COM1", "XYZRUV", {1, 2, 3, 4}), true, 3, nullptr, 1, Oem("COM3", "XYZRUV", {1, 2, 3, 4})},
      {"port 6", Oem("COM1", "XYZRUV"), true, 6, nullptr, 1, Oem("COM6", "XYZRUV")},
      {"port 7 changes nothing", Oem("COM1", "XYZRUV"), true, 7, nullptr, 0, Oem("COM1", "XYZRUV")},
      {"port 0 changes nothing", Oem("COM2", "XYZRUV"), true, -0x7fff, nullptr, 0, Oem("COM2", "XYZRUV")},
      {"no value: slot left alone", {}, false, 2, nullptr, 0, {}},
      {"map", Oem("COM2", "XYZRUV", {9, 8, 7, 6}), true, 0, "yXZRuV", 1, Oem("COM2", "yXZRuV", {9, 8, 7, 6})},
      {"shorter map", Oem("COM2", "XYZRUV"), true, 0, "XYZ", 1, Oem("COM2", "XYZ")},
      {"map too long for the record", Oem("COM2", "XYZRUV"), true, 0, "XYZRUVX", 0, Oem("COM2", "XYZRUV")},
      {"map on a missing value", {}, false, 0, "XYZRUV", 0, {}},
      // A short value is completed from the initial record, never from
      // another slot's bytes.
      {"short value", Le32({5, 6}), true, 4, nullptr, 1, Oem("COM4", "XYZRUV", {5, 6, -1, -1})},
      {"value longer than the record", Bytes(40, 1), true, 4, nullptr, 0, Bytes(40, 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    JoystickWorld w;
    w.Install(1, {});
    // Another slot holds unusual bytes that must not leak into slot 1.
    w.Set(kDeviceKey, "Joystick2OEMConfiguration", Oem("COM5", "vuzyxr", {-7, -7, -7, -7}));
    int port = 0;
    ASSERT_EQ(MVA_GetComPort(1, port), 1);
    if (!c.before.empty()) w.Set(kDeviceKey, "Joystick1OEMConfiguration", c.before);

    int result = c.map ? MVA_SetAxisMap(0, c.map) : MVA_SetComPort(0, c.port);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(w.Has(kDeviceKey, "Joystick1OEMConfiguration"), c.isSet);
    EXPECT_EQ(w.Get(kDeviceKey, "Joystick1OEMConfiguration"), c.after);
  }
}

TEST(JoystickOem, ReadingThePortAndTheMapNeverReadsPastTheValue) {
  struct Case {
    const char* what;
    Bytes value;  // empty: none
    int portResult;
    int port;     // starts as 9
    int mapResult;
    std::string map;  // starts as "keep"
  };
  Bytes unterminatedMap = Oem("COM2", "XYZRUV");
  unterminatedMap[27] = 'W';
  Bytes unterminatedPort = Oem("COM2", "XYZRUV");
  unterminatedPort[20] = '7';
  Bytes cutInMap = Oem("COM2", "XYZRUV");
  cutInMap.resize(25);
  Bytes cutInPort = Oem("COM2", "XYZRUV");
  cutInPort.resize(19);
  const Case cases[] = {
      {"well formed", Oem("COM2", "XzYRvU"), 1, 2, 1, "XzYRvU"},
      {"port outside 1..6", Oem("COM8", "XYZRUV"), 1, 9, 1, "XYZRUV"},
      {"port text not COM", Oem("LPT1", "XYZRUV"), 1, 9, 1, "XYZRUV"},
      {"port with two digits", Oem("COM1", "XYZRUV"), 1, 1, 1, "XYZRUV"},
      {"empty map", Oem("COM3", ""), 1, 3, 1, ""},
      {"map without its zero", unterminatedMap, 1, 2, 0, "keep"},
      {"port without its zero", unterminatedPort, 0, 9, 1, "XYZRUV"},
      {"value ends inside the map", cutInMap, 1, 2, 0, "keep"},
      {"value ends inside the port", cutInPort, 0, 9, 0, "keep"},
      {"no value", {}, 0, 9, 0, "keep"},
      {"value longer than the record", Bytes(29, 0), 0, 9, 0, "keep"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    JoystickWorld w;
    w.Install(1, {});
    if (!c.value.empty()) w.Set(kDeviceKey, "Joystick4OEMConfiguration", c.value);
    int port = 9;
    std::string map = "keep";
    EXPECT_EQ(MVA_GetComPort(3, port), c.portResult);
    EXPECT_EQ(port, c.port);
    EXPECT_EQ(MVA_GetAxisMap(3, map), c.mapResult);
    EXPECT_EQ(map, c.map);
  }
}

TEST(JoystickOem, OutsideTheSlotsOrWithoutKeysNothingHappens) {
  JoystickWorld w;
  int port = 9;
  std::string map = "keep";
  EXPECT_EQ(MVA_GetComPort(0, port), 0);  // no joystick keys at all
  EXPECT_EQ(MVA_SetComPort(0, 1), 0);
  EXPECT_FALSE(w.HasKey(kDeviceKey));
  w.Install(1, {1, 16});
  for (int id : {-1, 16, 100}) {
    EXPECT_EQ(MVA_SetComPort(id, 2), 0) << id;
    EXPECT_EQ(MVA_SetAxisMap(id, "XYZRUV"), 0) << id;
    EXPECT_EQ(MVA_GetComPort(id, port), 0) << id;
    EXPECT_EQ(MVA_GetAxisMap(id, map), 0) << id;
  }
  EXPECT_EQ(MVA_SetComPort(15, 2), 1);
  EXPECT_EQ(w.Get(kDeviceKey, "Joystick16OEMConfiguration"), Oem("COM2", "XYZRUV"));
  // The shared buffer holds the last slot's value.
  Bytes last(MVA_OemConfigurationBuffer().begin(), MVA_OemConfigurationBuffer().end());
  EXPECT_EQ(last, Oem("COM2", "XYZRUV"));
  // No joystick service answer: nothing can be reached.
  w.service->devCapsResult = 5;
  EXPECT_EQ(MVA_SetComPort(15, 3), 0);
  EXPECT_EQ(w.Get(kDeviceKey, "Joystick16OEMConfiguration"), Oem("COM2", "XYZRUV"));
}

TEST(JoystickFind, TheFirstSlotWhoseCalloutIsTheDriver) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, Bytes>> callouts;
    bool keys;
    int result;
    int joyId;
  };
  const Case cases[] = {
      {"slot 1", {{1, Text("vexor.vxd")}}, true, 0, 0},
      {"the first of two", {{9, Text("vexor.vxd")}, {4, Text("vexor.vxd")}}, true, 0, 3},
      {"slot 16", {{16, Text("vexor.vxd")}}, true, 0, 15},
      {"case matters", {{2, Text("VEXOR.VXD")}}, true, -1, -1},
      {"other drivers", {{1, Text("other.vxd")}, {2, Text("vexor.vxd ")}}, true, -1, -1},
      {"stored without its zero", {{5, Bytes{'v', 'e', 'x', 'o', 'r', '.', 'v', 'x', 'd'}}}, true, 0, 4},
      {"none", {}, true, -1, -1},
      {"no keys", {}, false, -1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    JoystickWorld w;
    if (c.keys) w.Install(0, {});
    for (const auto& [slot, bytes] : c.callouts) {
      w.Set(kCurrentKey, "Joystick" + std::to_string(slot) + "OEMCallout", bytes, platform::kRegSz);
    }
    int joyId = 42;
    EXPECT_EQ(MVA_FindJoystickId(joyId), c.result);
    EXPECT_EQ(joyId, c.joyId);
  }
}

TEST(JoystickSetup, BindsTheSlotWithTheDriverOpenAndNoNotice) {
  JoystickWorld w;
  w.Install(0, {1, 3});
  EXPECT_EQ(MVA_SetupJoystick(2, 4, "xyzruv"), 0);
  EXPECT_EQ(w.Get(kCurrentKey, "Joystick3OEMCallout"), Text("vexor.vxd"));
  EXPECT_EQ(w.Get(kCurrentKey, "Joystick3OEMName"), Text("Vexor"));
  EXPECT_EQ(w.Get(kCurrentKey, "Joystick3Configuration").size(), kMvaJoyHwConfigSize);
  EXPECT_EQ(w.Get(kDeviceKey, "Joystick3OEMConfiguration"), Oem("COM4", "xyzruv"));
  EXPECT_EQ(w.Get(kDeviceKey, "Joystick1OEMConfiguration"), Oem("COM1", "XYZRUV"));
  EXPECT_EQ(w.service->configChangedCount, 0);
  std::vector<std::string> driver;
  for (const auto& l : *w.log) {
    if (l.rfind("devcaps", 0) != 0) driver.push_back(l);
  }
  EXPECT_EQ(driver, (std::vector<std::string>{"open \\\\.\\VEXOR.VXD 0 0 0 67108864", "control 1",
                                              "control 2", "close"}));
  int joyId = -1;
  EXPECT_EQ(MVA_FindJoystickId(joyId), 0);
  EXPECT_EQ(joyId, 2);
}

TEST(JoystickDriver, OpenAndClosePairUp) {
  struct Case {
    const char* what;
    bool present;
    bool accepts;
    int open;
    int close;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"driver there", true, true, 1, 1, {"open", "control 1", "control 2", "close"}},
      {"driver refuses the codes", true, false, 0, 0, {"open", "control 1", "control 2", "close"}},
      {"driver missing: no call after the open", false, true, 0, 0, {"open"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    JoystickWorld w;
    w.port->present = c.present;
    w.port->acceptControl = c.accepts;
    EXPECT_EQ(MVA_OpenDriver(), c.open);
    EXPECT_EQ(MVA_DriverIsOpen(), c.present);
    EXPECT_EQ(MVA_CloseDriver(), c.close);
    EXPECT_EQ(MVA_CloseDriver(), 0);  // a second close does nothing
    EXPECT_FALSE(MVA_DriverIsOpen());
    std::vector<std::string> calls;
    for (const auto& l : *w.log) calls.push_back(l.rfind("open", 0) == 0 ? "open" : l);
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(w.port->openHandles, 0);
  }
  // The build's own port has no driver.
  platform::SetDriverPort(nullptr);
  EXPECT_EQ(MVA_OpenDriver(), 0);
  EXPECT_EQ(MVA_CloseDriver(), 0);
}

}  // namespace
