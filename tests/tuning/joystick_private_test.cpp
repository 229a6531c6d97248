// The private values and the serial ports.
#include <gtest/gtest.h>

#include "joystick_fixture.h"
#include "tuning/mva_joystick.h"
#include "tuning/mva_serial.h"

namespace {

using namespace joytest;

TEST(JoystickPrivate, ValuesComeBackOnlyWhenTheyFit) {
  using Get = int (*)(std::string&, std::size_t);
  struct Case {
    const char* what;
    const char* name;
    Get get;
    Bytes stored;  // empty: not stored
    std::size_t size;
    int result;
    std::string text;
  };
  const Case cases[] = {
      {"install directory", "DosInstallDirectory", MVA_GetDosInstallDirectory, Text("C:\\TANDRIX"), 260, 0, "C:\\TANDRIX"},
      {"exactly one short of the buffer", "DosInstallDirectory", MVA_GetDosInstallDirectory, Text("12345"), 6, 0, "12345"},
      {"as long as the buffer", "DosInstallDirectory", MVA_GetDosInstallDirectory, Text("123456"), 6, -1, "keep"},
      {"without its zero", "DosInstallDirectory", MVA_GetDosInstallDirectory, Bytes{'a', 'b'}, 3, 0, "ab"},
      {"missing", "DosInstallDirectory", MVA_GetDosInstallDirectory, {}, 260, -1, "keep"},
      {"no room at all", "TandrixLevel", MVA_GetLevel, Text("FULL"), 0, -1, "keep"},
      {"level", "TandrixLevel", MVA_GetLevel, Text("BASIC"), 260, 0, "BASIC"},
      {"orientation", "TandrixOrientation", MVA_GetOrientation, Text("VERTICAL"), 260, 0, "VERTICAL"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    JoystickWorld w;
    w.Install();
    if (!c.stored.empty()) w.Set(kPrivateKey, c.name, c.stored, platform::kRegSz);
    std::string buffer = "keep";
    EXPECT_EQ(c.get(buffer, c.size), c.result);
    EXPECT_EQ(buffer, c.text);
  }
}

TEST(JoystickPrivate, SettingCreatesTheDeviceKeyButNeverItsParent) {
  JoystickWorld w;
  EXPECT_EQ(MVA_SetLevel("FULL"), -1);  // not installed
  EXPECT_FALSE(w.HasKey(kPrivateRoot));
  std::string buffer = "keep";
  EXPECT_EQ(MVA_GetLevel(buffer, 260), -1);

  w.Install();
  EXPECT_FALSE(w.HasKey(kPrivateKey));
  EXPECT_EQ(MVA_SetLevel("FULL"), 0);
  EXPECT_EQ(MVA_SetOrientation("HORIZONTAL"), 0);
  EXPECT_EQ(w.Get(kPrivateKey, "TandrixLevel"), Text("FULL"));
  EXPECT_EQ(w.Get(kPrivateKey, "TandrixOrientation"), Text("HORIZONTAL"));
  EXPECT_EQ(MVA_GetOrientation(buffer, 260), 0);
  EXPECT_EQ(buffer, "HORIZONTAL");
}

TEST(SerialPorts, CountFromTheRegistry) {
  struct Value {
    std::string key;
    std::string name;
    std::string text;
  };
  const std::string serial = "hardware\\devicemap\\serialcomm";
  const std::string root = "Enum\\Root\\*PNP0500";
  const std::string bios0 = "Enum\\BIOS\\*PNP0500";
  const std::string bios1 = "Enum\\BIOS\\*PNP0501";
  struct Case {
    const char* what;
    std::vector<Value> values;
    std::vector<std::string> keys;
    int count;
  };
  const Case cases[] = {
      {"nothing at all", {}, {}, 0},
      {"the map lists COM1 to COM6 and no more is looked for",
       {{serial, "COM1", "a"}, {serial, "COM2", "b"}, {serial, "COM3", "c"}, {serial, "COM4", "d"},
        {serial, "COM5", "e"}, {serial, "COM6", "f"}, {serial, "COM7", "g"}},
       {}, 6},
      {"a gap in the map stops the count", {{serial, "COM1", "a"}, {serial, "COM3", "c"}}, {}, 1},
      {"a map without COM1", {{serial, "COM2", "b"}}, {}, 0},
      {"a BIOS port named COM3", {{bios0 + "\\00", "PortName", "COM3"}}, {}, 3},
      {"BIOS ports above COM4 count only as entries", {{bios1 + "\\A", "PortName", "COM6"}}, {}, 1},
      {"names compare exactly", {{bios1 + "\\A", "PortName", "com4"}, {bios1 + "\\B", "PortName", "COM2"}}, {}, 2},
      {"root entries by number", {}, {root + "\\0000", root + "\\0004"}, 5},
      {"root entries by count", {}, {root + "\\A", root + "\\B", root + "\\C"}, 3},
      {"the largest of all",
       {{serial, "COM1", "a"}, {bios0 + "\\x", "PortName", "COM4"}},
       {root + "\\0001", bios1 + "\\1", bios1 + "\\2"}, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    JoystickWorld w;
    for (const auto& v : c.values) w.SetText(v.key, v.name, v.text);
    for (const auto& k : c.keys) {
      platform::HKey h = platform::kNoKey;
      ASSERT_EQ(w.reg().CreateKey(platform::kHKeyLocalMachine, k, h), platform::kRegOk);
      w.reg().CloseKey(h);
    }
    int count = -1;
    EXPECT_EQ(MVA_CountComPorts(count), c.count);
    EXPECT_EQ(count, c.count);
  }
}

TEST(SerialPorts, TheControlPanelIsShownWhenTheHostHasOne) {
  JoystickWorld w;
  EXPECT_EQ(MVA_ShowJoystickControlPanel(nullptr), 0);
  w.service->panelAvailable = true;
  EXPECT_EQ(MVA_ShowJoystickControlPanel(nullptr), 1);
  EXPECT_EQ(*w.log, (platform::testing::CallLog{"panel", "panel"}));
}

}  // namespace
