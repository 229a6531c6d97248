#include "customizer/app/options_resources.h"

#include <string>
#include <vector>

namespace {

using namespace ui;

// The Options menu's dialogs are placed by their owner.
constexpr unsigned kOwnerPlaced = dlg::ModalFrame | dlg::SysMenu;

}  // namespace

const DialogTemplate& ButtonFunctionsTemplate() {
  static const DialogTemplate t = [] {
    std::vector<ControlTemplate> c = {
        GroupBox("Configuration file", IDC_STATIC, 7, 4, 206, 30),
        LText("", kIdcConfigName, 14, 16, 192, 12, ctl::Sunken | ctl::NoPrefix),
        LText("Button", IDC_STATIC, 14, 40, 40, 8),
        LText("Button Function", IDC_STATIC, 60, 40, 150, 8),
    };
    const char* const names[] = {"Button &A", "Button &B", "Button &C",
                                 "Button &D", "Button &E", "Button &F"};
    for (int b = 0; b < 6; ++b) {
      const int y = 52 + 17 * b;
      c.push_back(LText(names[b], IDC_STATIC, 14, y + 2, 44, 8));
      c.push_back(ComboBox(kIdcButtonA + b, 60, y, 150, 120,
                           ctl::DropDownList | ctl::VScroll | ctl::TabStop));
    }
    c.push_back(PushButton("Set &Default", kIdcSetDefault, 7, 158, 60, 14, ctl::Group));
    c.push_back(DefPushButton("OK", IDOK, 106, 158, 50, 14));
    c.push_back(PushButton("Cancel", IDCANCEL, 163, 158, 50, 14));
    c.push_back(LText("Select button functions.", IDC_STATIC, 7, 180, 206, 8));
    return Dialog(kIddButtonFunctions, "Button Functions", 220, 194, kOwnerPlaced, std::move(c));
  }();
  return t;
}

const DialogTemplate& DefaultJoystickTemplate() {
  static const DialogTemplate t =
      Dialog(kIddDefaultJoystick, "Default Joystick Settings", 200, 96, kOwnerPlaced, {
          LText("Select the default configuration for the Tandrix", IDC_STATIC, 7, 7, 186, 10),
          AutoRadioButton("Joystick Emulation (&2 axis)", kIdcJoy2D, 15, 24, 170, 10,
                          ctl::Group | ctl::TabStop),
          AutoRadioButton("Joystick Emulation (&with rudder)", kIdcJoy3D, 15, 38, 170, 10),
          AutoRadioButton("&Generic Operation", kIdcGeneric, 15, 52, 170, 10),
          DefPushButton("OK", IDOK, 86, 75, 50, 14, ctl::Group),
          PushButton("Cancel", IDCANCEL, 143, 75, 50, 14),
      });
  return t;
}

const DialogTemplate& ModesTemplate() {
  static const DialogTemplate t =
      Dialog(kIddModes, "Mode Settings for All Games", 230, 134, kOwnerPlaced, {
          LText("This affects ALL game configurations. Do not use this option if you only "
                "wish to change the modes for the currently opened game.",
                IDC_STATIC, 7, 7, 216, 26),
          GroupBox("Skill Level", IDC_STATIC, 7, 36, 105, 44),
          AutoRadioButton("&Basic", kIdcModesBasic, 15, 50, 90, 10, ctl::Group | ctl::TabStop),
          AutoRadioButton("&Full Freedom", kIdcModesFullFreedom, 15, 63, 90, 10),
          GroupBox("Orientation", IDC_STATIC, 118, 36, 105, 44, ctl::Group),
          AutoRadioButton("&Vertical", kIdcModesVertical, 126, 50, 90, 10, ctl::Group | ctl::TabStop),
          AutoRadioButton("&Horizontal", kIdcModesHorizontal, 126, 63, 90, 10),
          LText("", kIdcModesStatus, 7, 88, 216, 12, ctl::Group | ctl::Sunken | ctl::NoPrefix),
          DefPushButton("OK", IDOK, 116, 112, 50, 14, ctl::Group),
          PushButton("Cancel", IDCANCEL, 173, 112, 50, 14),
      });
  return t;
}

const DialogTemplate& JoystickSettingsTemplate() {
  static const DialogTemplate t =
      Dialog(kIddJoystickSettings, "Joystick Settings", 200, 96, kOwnerPlaced, {
          LText("The changes entered here alter the present joystick configurations.",
                IDC_STATIC, 7, 7, 186, 18),
          LText("&COM Port:", IDC_STATIC, 7, 32, 64, 8),
          ComboBox(kIdcComPort, 75, 30, 60, 80, ctl::Sorted | ctl::VScroll | ctl::TabStop),
          LText("&Present Axis Map:", IDC_STATIC, 7, 51, 64, 8),
          EditText(kIdcAxisMap, 75, 49, 60, 12, ctl::AutoHScroll | ctl::TabStop),
          DefPushButton("OK", IDOK, 86, 75, 50, 14, ctl::Group),
          PushButton("Cancel", IDCANCEL, 143, 75, 50, 14),
      });
  return t;
}
