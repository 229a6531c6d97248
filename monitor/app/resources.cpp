#include "monitor/app/resources.h"

#include "monitor/host.h"

namespace {

// The monitor's dialogs are placed by their owner.
constexpr unsigned kOwnerPlaced = ui::dlg::ModalFrame | ui::dlg::SysMenu;

}  // namespace

const ui::MenuTemplate& TrayMenuTemplate() {
  using I = ui::MenuItemTemplate;
  static const ui::MenuTemplate t{
      kIdrTrayMenu,
      {I::Popup("Tandmon", {I::Item("&About...", kIdmAbout), I::Item("&Customize...", kIdmCustomize),
                            I::Separator(), I::Item("&Suspend", kIdmSuspend),
                            I::Item("E&xit", kIdmExit)})}};
  return t;
}

// Placed at the template's origin, not centred.
const ui::DialogTemplate& InstructionsTemplate() {
  static const ui::DialogTemplate t = ui::Dialog(kIddInstructions, "Tandrix", 221, 218, kOwnerPlaced, {
      ui::DefPushButton("OK", IDOK, 82, 180, 50, 14),
      ui::Auto3State("Show Instructions at startup", kIdcShowCheck, 6, 201, 117, 10),
      ui::LText("Skill Level:", IDC_STATIC, 6, 11, 41, 8),
      ui::LText("Special Game Instructions", IDC_STATIC, 6, 90, 83, 8),
      ui::EditText(kIdcInstructions, 6, 100, 208, 73,
                   ui::ctl::MultiLine | ui::ctl::ReadOnly | ui::ctl::VScroll),
      ui::LText("Orientation", IDC_STATIC, 142, 11, 35, 8),
      ui::LText("", kIdcLevelName, 7, 73, 94, 8),
      ui::LText("", kIdcOrientationName, 144, 73, 70, 8),
  });
  return t;
}

const ui::DialogTemplate& JoystickPromptTemplate() {
  static const ui::DialogTemplate t = ui::Dialog(kIddJoystickPrompt, "Tandrix", 211, 89, kOwnerPlaced, {
      ui::DefPushButton("OK", IDOK, 48, 68, 50, 14),
      ui::PushButton("Cancel", IDCANCEL, 112, 68, 50, 14),
      ui::LText("The Tandrix is not selected as your current Joystick. Would you like to see "
                "the Joystick Control Panel?",
                IDC_STATIC, 7, 7, 197, 28, ui::ctl::Sunken),
      ui::AutoCheckBox("&Show this message next time.", kIdcShowCheck, 7, 45, 150, 10),
  });
  return t;
}

const ui::DialogTemplate& AboutTemplate() {
  static const ui::DialogTemplate t = ui::Dialog(kIddAbout, "About Tandrix Monitor", 205, 89, kOwnerPlaced, {
      ui::Icon(kIdiNormal, IDC_STATIC, 11, 14),
      ui::LText(std::string(kAboutVersionLine), IDC_STATIC, 44, 10, 150, 8),
      ui::LText("Makes each game's Tandrix settings live while the game runs.", IDC_STATIC,
                44, 24, 150, 16),
      ui::LText("Right-click the tray icon to customize, suspend or exit.", IDC_STATIC, 44,
                44, 150, 16),
      ui::DefPushButton("OK", IDOK, 77, 68, 50, 14, ui::ctl::Group),
  });
  return t;
}
