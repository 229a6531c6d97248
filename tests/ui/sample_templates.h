// Templates the ui tests build dialogs from: copies of the monitor's
// joystick prompt and instructions dialog, and a settings dialog with one
// control of every kind.
#pragma once

#include "ui/template.h"

namespace uitest {

inline const ui::DialogTemplate& PromptTemplate() {
  static const ui::DialogTemplate t = [] {
    ui::DialogTemplate d;
    d.id = 144;
    d.title = "Tandrix";
    d.rect = {0, 0, 211, 89};
    d.controls = {
        ui::DefPushButton("OK", IDOK, 48, 68, 50, 14),
        ui::PushButton("Cancel", IDCANCEL, 112, 68, 50, 14),
        ui::LText("The Tandrix is not selected as your current Joystick. Would you like to see the "
                  "Joystick Control Panel?",
                  IDC_STATIC, 7, 7, 197, 28, ui::ctl::Sunken),
        ui::AutoCheckBox("&Show this message next time.", 1000, 7, 45, 150, 10),
    };
    return d;
  }();
  return t;
}

inline const ui::DialogTemplate& InstructionsTemplate() {
  static const ui::DialogTemplate t = [] {
    ui::DialogTemplate d;
    d.id = 107;
    d.title = "Tandrix";
    d.rect = {0, 0, 221, 218};
    d.controls = {
        ui::DefPushButton("OK", IDOK, 82, 180, 50, 14),
        ui::Auto3State("Show Instructions at startup", 1000, 6, 201, 117, 10),
        ui::LText("Skill Level:", IDC_STATIC, 6, 11, 41, 8),
        ui::LText("Special Game Instructions", IDC_STATIC, 6, 90, 83, 8),
        ui::EditText(1006, 6, 100, 208, 73,
                     ui::ctl::MultiLine | ui::ctl::ReadOnly | ui::ctl::VScroll),
        ui::LText("Orientation", IDC_STATIC, 142, 11, 35, 8),
        ui::LText("", 1011, 7, 73, 94, 8),
        ui::LText("", 1012, 144, 73, 70, 8),
    };
    return d;
  }();
  return t;
}

// Ids of the settings dialog.
enum SettingsId {
  kName = 1100,
  kCount = 1101,
  kFast = 1102,
  kSlow = 1103,
  kLevelBasic = 1015,
  kLevelFull = 1016,
  kHorizontal = 1019,
  kVertical = 1018,
  kGames = 1104,
  kPort = 1105,
  kMode = 1106,
  kSpeed = 1020,
  kShow = 1097,
  kApply = 9,
  kNotes = 1107,
};

inline const ui::DialogTemplate& SettingsTemplate() {
  static const ui::DialogTemplate t = [] {
    ui::DialogTemplate d;
    d.id = 900;
    d.title = "Settings";
    d.rect = {0, 0, 260, 200};
    d.style |= ui::dlg::Center;
    d.controls = {
        ui::LText("&Name:", IDC_STATIC, 7, 9, 30, 8),
        ui::EditText(kName, 40, 7, 100, 12, ui::ctl::AutoHScroll),
        ui::LText("&Count:", IDC_STATIC, 150, 9, 30, 8),
        ui::EditText(kCount, 182, 7, 30, 12),
        ui::GroupBox("Skill Level", IDC_STATIC, 7, 24, 120, 36),
        ui::AutoRadioButton("Basic", kLevelBasic, 13, 34, 60, 10, ui::ctl::Group),
        ui::AutoRadioButton("Full Freedom", kLevelFull, 13, 46, 60, 10),
        ui::GroupBox("Orientation", IDC_STATIC, 133, 24, 120, 36),
        // Listed as the customizer lists them: Horizontal before Vertical,
        // though its id is the larger.
        ui::AutoRadioButton("Horizontal", kHorizontal, 139, 34, 60, 10, ui::ctl::Group),
        ui::AutoRadioButton("Vertical", kVertical, 139, 46, 60, 10),
        ui::ListBox(kGames, 7, 66, 120, 50, ui::ctl::Sorted | ui::ctl::VScroll | ui::ctl::Group),
        ui::ComboBox(kPort, 133, 66, 60, 60, ui::ctl::Sorted),
        ui::ComboBox(kMode, 133, 84, 60, 60, ui::ctl::DropDownList),
        ui::TrackBar(kSpeed, 7, 122, 150, 15, ui::ctl::AutoTicks),
        ui::Auto3State("Show &Instructions when game runs", kShow, 7, 142, 150, 10),
        ui::EditText(kNotes, 7, 156, 150, 24, ui::ctl::MultiLine | ui::ctl::VScroll),
        ui::DefPushButton("OK", IDOK, 200, 140, 50, 14),
        ui::PushButton("Cancel", IDCANCEL, 200, 158, 50, 14),
        ui::PushButton("&Apply", kApply, 200, 176, 50, 14),
    };
    return d;
  }();
  return t;
}

}  // namespace uitest
