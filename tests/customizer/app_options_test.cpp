// The Options menu's joystick dialogs played by a scripted user on the
// headless host: what they open with, and what OK and Cancel leave in the
// registry and in the monitor's settings file.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "customizer/app/options_dialogs.h"
#include "customizer/app/options_resources.h"
#include "customizer_fixture.h"
#include "ui/headless/headless_host.h"
#include "ui/headless/scripted_user.h"

namespace {

using custtest::Crlf;

std::string SlotName(int slot) { return "Joystick" + std::to_string(slot) + "OEMConfiguration"; }

// Each row: serial ports, the bound slot (0: none) and the port its value
// holds; what the dialog shows; what the user does; then the port of the
// slot read from (bound, else 1) and of the other slots, and every map.
TEST(JoystickSettingsDialog, ShowsTheSlotAndWritesOnlyWhatTheUserChose) {
  struct Row {
    const char* what;
    int ports;
    int bound;
    std::string slotPort;
    std::string shown;
    int selection;
    std::function<void(ui::OpenDialog&)> act;
    std::string slotAfter, othersAfter, mapAfter;
  };
  const auto ok = [](ui::OpenDialog&) {};
  const std::vector<Row> rows = {
      {"second of four ports", 4, 3, "COM1", "COM1", 0,
       [](ui::OpenDialog& d) { d.SelectRow(kIdcComPort, 1); }, "COM2", "COM2", "XYZRUV"},
      {"lower-case map", 4, 3, "COM2", "COM2", 1,
       [](ui::OpenDialog& d) { d.Type(kIdcAxisMap, "xyzruv"); }, "COM2", "COM2", "xyzruv"},
      {"no valid port shows the last, writes none", 4, 3, "COM9", "COM4", 3, ok, "COM9", "COM1",
       "XYZRUV"},
      {"no valid port, the last one picked", 4, 3, "COM9", "COM4", 3,
       [](ui::OpenDialog& d) { d.SelectRow(kIdcComPort, 3); }, "COM4", "COM4", "XYZRUV"},
      {"no serial port at all", 0, 3, "", "COM0", -1, ok, "", "COM1", "XYZRUV"},
      {"typed port, map with a seventh letter", 4, 3, "COM1", "COM1", 0,
       [](ui::OpenDialog& d) {
         d.Type(kIdcComPort, "COM3");
         d.Type(kIdcAxisMap, "XZYRVUW");
       },
       "COM3", "COM3", "XZYRVU"},
      {"no slot bound: slot 1 shown, all written", 2, 0, "COM2", "COM2", 1,
       [](ui::OpenDialog& d) { d.SelectRow(kIdcComPort, 0); }, "COM1", "COM1", "XYZRUV"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    joytest::JoystickWorld world;
    std::vector<int> all;
    for (int s = 1; s <= 16; ++s) all.push_back(s);
    world.Install(r.bound, all);
    const int slot = r.bound ? r.bound : 1;
    world.Set(joytest::kDeviceKey, SlotName(slot), joytest::Oem(r.slotPort, "XYZRUV"));
    for (int n = 1; n <= r.ports; ++n) {
      world.SetText("hardware\\devicemap\\serialcomm", "COM" + std::to_string(n), "x");
    }
    ui::headless::ScriptedUser user;
    ui::headless::HeadlessDialogHost host(&user);
    user.OnDialog(kIddJoystickSettings, [&](ui::OpenDialog& d) {
      EXPECT_EQ(d.Items(kIdcComPort).size(), static_cast<std::size_t>(r.ports));
      EXPECT_EQ(d.Text(kIdcComPort), r.shown);
      EXPECT_EQ(d.Selection(kIdcComPort), r.selection);
      EXPECT_EQ(d.Text(kIdcAxisMap), "XYZRUV");
      r.act(d);
      d.Click(IDOK);
    });
    CJoystickSettingsDlg dlg;
    EXPECT_EQ(dlg.DoModal(host), IDOK);
    for (int s = 1; s <= 16; ++s) {
      const joytest::Bytes b = world.Get(joytest::kDeviceKey, SlotName(s));
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[16])),
                s == slot ? r.slotAfter : r.othersAfter)
          << "slot " << s;
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[21])), r.mapAfter) << "slot " << s;
    }
    // Only a bound slot is set up for the driver.
    EXPECT_EQ(world.Has(joytest::kCurrentKey, "Joystick" + std::to_string(slot) + "OEMName"),
              r.bound != 0);
  }
}

TEST(JoystickSettingsDialog, RefusesABadMapAndShowsTheOldOneAgain) {
  joytest::JoystickWorld world;
  world.Install(1, {1, 2});
  world.Set(joytest::kDeviceKey, SlotName(2), joytest::Oem("COM2", "xYZRUV"));
  for (const char* bad : {"XYZRU", "XYZRUW", "XYZ RUV"}) {
    SCOPED_TRACE(bad);
    ui::headless::ScriptedUser user;
    ui::headless::HeadlessDialogHost host(&user);
    user.AnswerNextMessageBox(IDOK);
    user.OnDialog(kIddJoystickSettings, [&](ui::OpenDialog& d) {
      d.Type(kIdcAxisMap, bad);
      d.Click(IDOK);
      EXPECT_FALSE(d.Ended());
      EXPECT_EQ(d.Text(kIdcAxisMap), "XYZRUV");
      d.Click(IDCANCEL);
    });
    CJoystickSettingsDlg dlg;
    EXPECT_EQ(dlg.DoModal(host), IDCANCEL);
    ASSERT_EQ(user.MessageBoxes().size(), 1u);
    EXPECT_EQ(user.MessageBoxes()[0].text, "The axis map is invalid.\nPlease try again.");
    EXPECT_EQ(user.MessageBoxes()[0].caption, "Tandrix Customizer");
    EXPECT_EQ(user.MessageBoxes()[0].flags & MB_ICONMASK, static_cast<unsigned>(MB_ICONINFORMATION));
    EXPECT_EQ(world.Get(joytest::kDeviceKey, SlotName(2)), joytest::Oem("COM2", "xYZRUV"));
  }
}

TEST(DefaultJoystickDialog, OpensWithTheFileAndWritesTheChoice) {
  struct Row {
    const char* config;  // null: no Config key
    int checked;
    int click;  // 0: OK as it is; IDCANCEL: another choice, then Cancel
    const char* written;
  };
  const Row rows[] = {
      {"Joy2D.vcg", kIdcJoy2D, 0, "Joy2D.vcg"},
      {"joy2d.vcg", kIdcGeneric, 0, "Generic.vcg"},
      {nullptr, kIdcGeneric, kIdcJoy3D, "Joy3D.vcg"},
      {"Joy3D.vcg", kIdcJoy3D, kIdcJoy2D, "Joy2D.vcg"},
      {"joy2d.vcg", kIdcGeneric, IDCANCEL, "joy2d.vcg"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.config ? r.config : "-") + " then " + std::to_string(r.click));
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.path());
    const std::string head = "[Games]\nCurrent=quake.vcg\n[Defaults]\n";
    dir.Write("Tandmon.ini", Crlf(head + (r.config ? std::string("Config=") + r.config + "\n" : "")));
    ui::headless::ScriptedUser user;
    ui::headless::HeadlessDialogHost host(&user);
    user.OnDialog(kIddDefaultJoystick, [&](ui::OpenDialog& d) {
      for (int id : {kIdcJoy2D, kIdcJoy3D, kIdcGeneric}) {
        EXPECT_EQ(d.Check(id), id == r.checked ? BST_CHECKED : BST_UNCHECKED) << id;
      }
      if (r.click) d.Click(r.click == IDCANCEL ? kIdcJoy3D : r.click);
      d.Click(r.click == IDCANCEL ? IDCANCEL : IDOK);
    });
    CDefaultJoystickDlg dlg;
    dlg.DoModal(host);
    EXPECT_EQ(dir.Read("Tandmon.ini"), Crlf(head + "Config=" + r.written + "\n"));
  }
}

}  // namespace
