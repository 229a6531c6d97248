#include "service_setup/app/resources.h"

namespace {

// svcsetup's dialogs are centred on the desktop.
constexpr unsigned kCentred = ui::dlg::ModalFrame | ui::dlg::SysMenu | ui::dlg::Center;

}  // namespace

const ui::DialogTemplate& ServiceSetupTemplate() {
  using namespace ui;
  static const DialogTemplate t = Dialog(kIddServiceSetup, "Game Service Setup", 265, 209, kCentred, {
      Bitmap(kIdbDevice, kIdcPicture, 7, 7, 0, 0, ctl::Sunken),
      LText("Setting Up Service :", IDC_STATIC, 80, 10, 70, 8),
      LText("", kIdcServiceName, 152, 10, 100, 8),
      GroupBox("Game", IDC_STATIC, 80, 24, 178, 28),
      AutoRadioButton("Duke &Nukem 3D", kIdcDuke, 88, 36, 66, 10, ctl::Group | ctl::TabStop),
      AutoRadioButton("&Quake", kIdcQuake, 160, 36, 40, 10),
      AutoRadioButton("&Descent", kIdcDescent, 206, 36, 46, 10),
      LText("You now have to set up the game to use with the service: \n"
            "     1. Choose a game. \n"
            "     2. Check the path and make sure it is correct.  If it is not, either  \n"
            "         type in the correct path or click on the Browse button. \n"
            "     3. Click on Ok.    ",
            kIdcSteps, 7, 62, 251, 48),
      GroupBox("Enter The &Path And Executable Name Of The Game", IDC_STATIC, 7, 118, 251, 36),
      EditText(kIdcGamePath, 15, 133, 178, 13, ctl::AutoHScroll | ctl::TabStop | ctl::Group),
      PushButton("&Browse", kIdcBrowse, 200, 132, 50, 14, ctl::TabStop),
      DefPushButton("&OK", IDOK, 34, 184, 50, 14, ctl::Disabled | ctl::TabStop | ctl::Group),
      PushButton("&Cancel", IDCANCEL, 107, 184, 50, 14, ctl::TabStop),
      PushButton("&Help", kIdcHelp, 180, 184, 50, 14, ctl::TabStop),
  });
  return t;
}

const ui::DialogTemplate& AboutBoxTemplate() {
  using namespace ui;
  static const DialogTemplate t = Dialog(kIddAboutBox, "About svcsetup", 217, 55, kCentred, {
      Icon(kIdrMainFrame, IDC_STATIC, 11, 17),
      LText("svcsetup Version 1.0", IDC_STATIC, 40, 10, 119, 8, ctl::NoPrefix),
      LText("Sets up Duke Nukem 3D, Quake and Descent for play on a game service.", IDC_STATIC,
            40, 25, 119, 24),
      DefPushButton("OK", IDOK, 178, 7, 32, 14, ctl::Group),
  });
  return t;
}
