// The dialogs the main dialog's Button Functions button and Options menu
// open: the button functions of a DOS configuration (146), the modes for
// all games (173), the joystick settings (177) and the default joystick
// (172).
#pragma once

#include <string>

#include "customizer/joystick_settings.h"
#include "customizer/modes.h"
#include "ui/dialog.h"

class CGameSettings;

// Chooses, for each button A to F, one of the configuration's button
// functions. OK stores the six choices (-1 for a list left without a
// selection) into the settings' current buttons; Cancel stores nothing.
class CButtonFunctionsDlg : public ui::CDialog {
 public:
  CButtonFunctionsDlg(std::string displayName, CGameSettings& settings,
                      ui::CDialog* parent = nullptr);

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  void OnSetDefault();

  std::string displayName_;
  CGameSettings& settings_;
};

// Sets the level and the orientation of every game at once; on IDOK the
// open game's settings (when given) follow the choice. A group the
// registry preselects nothing in and the user leaves alone keeps each
// configuration's own setting (see ApplyModesToAllGames).
class CModesDlg : public ui::CDialog {
 public:
  explicit CModesDlg(CGameSettings* settings, ui::CDialog* parent = nullptr);

  const ModesOutcome& Outcome() const { return outcome_; }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange* pDX) override;
  void OnOK() override;

 private:
  CGameSettings* settings_;
  int skill_ = kNoChoice;        // 0 Basic, 1 Full Freedom
  int orientation_ = kNoChoice;  // 0 Vertical, 1 Horizontal
  std::string status_;
  ModesOutcome outcome_;
};

// The serial port and axis map of every joystick slot.
class CJoystickSettingsDlg : public ui::CDialog {
 public:
  explicit CJoystickSettingsDlg(ui::CDialog* parent = nullptr);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange* pDX) override;
  void OnOK() override;

 private:
  JoystickSettingsView view_;
  std::string savedAxisMap_;
  std::string axisMap_;
  std::string portText_;
  bool portChosen_ = false;  // the user picked or typed a port
};

// Which stock configuration the monitor makes live when no listed game runs.
class CDefaultJoystickDlg : public ui::CDialog {
 public:
  explicit CDefaultJoystickDlg(ui::CDialog* parent = nullptr);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange* pDX) override;
  void OnOK() override;

 private:
  int choice_ = kNoChoice;
};
