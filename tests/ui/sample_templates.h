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

namespace uitest {

// Ids of the sample dialog, a main window the way the customizer and the
// game service setup build theirs.
enum SampleId {
  kSampleDialog = 901,
  kSampleMenu = 171,
  kSampleIcon = 104,
  kSampleBitmap = 133,
  kMenuOpen = 57601,
  kMenuExit = 32774,
  kMenuModes = 32776,
  kMenuContents = 32778,
  kSysAbout = 16,
  kDuke = 1002,
  kQuake = 1003,
  kDescent = 1004,
  kGamePath = 1005,
  kComPort = 1106,
  kPicture = 1007,
  kGameList = 1037,
  kSensitivity = 1020,
  kStatus = 1031,
};

inline const ui::DialogTemplate& SampleTemplate() {
  using I = ui::MenuItemTemplate;
  static const ui::DialogTemplate t = [] {
    ui::DialogTemplate d;
    d.id = kSampleDialog;
    d.title = "Sample Utility";
    d.rect = {0, 0, 265, 209};
    d.menu = {kSampleMenu,
              {I::Popup("&File", {I::Item("&Open...", kMenuOpen), I::Separator(),
                                  I::Item("E&xit", kMenuExit)}),
               I::Popup("&Options", {I::Item("&Modes...", kMenuModes)}),
               I::Popup("&Help", {I::Item("&Contents...", kMenuContents)})}};
    d.controls = {
        ui::GroupBox("Game", IDC_STATIC, 7, 7, 110, 50),
        ui::AutoRadioButton("Duke &Nukem 3D", kDuke, 13, 18, 90, 10, ui::ctl::Group),
        ui::AutoRadioButton("&Quake", kQuake, 13, 30, 90, 10),
        ui::AutoRadioButton("&Descent", kDescent, 13, 42, 90, 10),
        ui::Bitmap(kSampleBitmap, kPicture, 150, 7),
        ui::GroupBox("Enter The &Path And Executable Name Of The Game", IDC_STATIC, 7, 62, 251, 30),
        ui::EditText(kGamePath, 13, 73, 239, 12, ui::ctl::AutoHScroll | ui::ctl::Group),
        ui::LText("COM Port:", IDC_STATIC, 7, 100, 40, 8),
        ui::ComboBox(kComPort, 50, 98, 60, 60, ui::ctl::Sorted | ui::ctl::VScroll),
        ui::ListBox(kGameList, 7, 114, 110, 50,
                    ui::ctl::Sorted | ui::ctl::Notify | ui::ctl::VScroll | ui::ctl::Group),
        ui::LText("Sensitivity", IDC_STATIC, 130, 114, 60, 8),
        ui::TrackBar(kSensitivity, 125, 124, 130, 15, ui::ctl::AutoTicks),
        ui::LText("", kStatus, 7, 170, 251, 12, ui::ctl::Sunken),
        ui::DefPushButton("&OK", IDOK, 150, 188, 50, 14),
        ui::PushButton("&Cancel", IDCANCEL, 208, 188, 50, 14),
    };
    return d;
  }();
  return t;
}

}  // namespace uitest
