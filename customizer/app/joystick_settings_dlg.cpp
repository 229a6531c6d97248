#include "customizer/app/options_dialogs.h"
#include "customizer/app/options_resources.h"
#include "customizer/shared_strings.h"
#include "customizer/store_failure.h"

CJoystickSettingsDlg::CJoystickSettingsDlg(ui::CDialog* parent)
    : CDialog(JoystickSettingsTemplate(), parent) {
  // A port shown only because the slot holds none is written only once the
  // user has picked or typed one.
  OnCommandId(kIdcComPort, [this] { portChosen_ = true; }, CBN_SELCHANGE);
  OnCommandId(kIdcComPort, [this] { portChosen_ = true; }, CBN_EDITCHANGE);
}

bool CJoystickSettingsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  view_ = ReadJoystickSettings();
  for (const std::string& port : view_.ports) GetDlgItem(kIdcComPort).AddString(port);
  axisMap_ = savedAxisMap_ = view_.axisMap;
  portText_ = PortText(view_.port);
  UpdateData(false);
  return true;
}

void CJoystickSettingsDlg::DoDataExchange(ui::CDataExchange* pDX) {
  // By the whole text: the list is sorted, so "COM10" stands before "COM2".
  ui::DDX_CBStringExact(pDX, kIdcComPort, portText_);
  ui::DDX_Text(pDX, kIdcAxisMap, axisMap_);
}

void CJoystickSettingsDlg::OnOK() {
  if (!UpdateData(true)) return;
  if (!IsAcceptableAxisMap(axisMap_)) {
    MessageBox("The axis map is invalid.\nPlease try again.", "Tandrix Customizer",
               MB_ICONINFORMATION);
    axisMap_ = savedAxisMap_;
    SetDlgItemText(kIdcAxisMap, axisMap_);
    GotoDlgCtrl(kIdcAxisMap);
    return;
  }
  platform::RegStatus stored;
  {
    ui::CWaitCursor wait(*Host());
    stored = WriteJoystickSettings(axisMap_, ChosenPort(view_, portText_, portChosen_));
  }
  if (stored != platform::kRegOk) {
    // The dialog stays open with the user's choice, to try again or cancel.
    MessageBox(StoreFailureText("The joystick settings could not be stored", stored) +
                   "\nNothing was changed.",
               AppTitle(), MB_OK | MB_ICONSTOP);
    return;
  }
  EndDialog(IDOK);
}
