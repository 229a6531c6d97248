// The dialogs the main dialog's Button Functions button and Options menu
// open. Each lives in a source file of its own (button_functions_dlg.cpp,
// modes_dlg.cpp, joystick_settings_dlg.cpp, default_joystick_dlg.cpp);
// until their windows are built there, DoModal shows nothing and answers
// IDCANCEL, so the main dialog's wiring works unchanged once they are.
#pragma once

#include <string>

#include "customizer/game_settings.h"
#include "ui/dialog.h"

// The six buttons' game functions of a DOS configuration; IDOK stores the
// choices into the settings' current buttons.
class CButtonFunctionsDlg {
 public:
  CButtonFunctionsDlg(std::string displayName, CGameSettings& settings,
                      ui::CDialog* parent = nullptr);
  int DoModal();

 private:
  std::string displayName_;
  CGameSettings& settings_;
  ui::CDialog* parent_;
};

// Mode Settings for All Games; on IDOK the open settings' level and
// orientation follow the choice (the main dialog shows them afterwards
// whatever the result).
class CModesDlg {
 public:
  explicit CModesDlg(CGameSettings* settings, ui::CDialog* parent = nullptr);
  int DoModal();

 private:
  CGameSettings* settings_;
  ui::CDialog* parent_;
};

// The serial port and axis map of the joystick registry.
class CJoystickSettingsDlg {
 public:
  explicit CJoystickSettingsDlg(ui::CDialog* parent = nullptr);
  int DoModal();

 private:
  ui::CDialog* parent_;
};

// The monitor's default configuration (Config of Defaults in Tandmon.ini).
class CDefaultJoystickDlg {
 public:
  explicit CDefaultJoystickDlg(ui::CDialog* parent = nullptr);
  int DoModal();

 private:
  ui::CDialog* parent_;
};
