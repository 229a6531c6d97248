#include "customizer/app/options_dialogs.h"
#include "customizer/app/options_resources.h"

CDefaultJoystickDlg::CDefaultJoystickDlg(ui::CDialog* parent)
    : CDialog(DefaultJoystickTemplate(), parent) {}

bool CDefaultJoystickDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  choice_ = ReadDefaultJoystickChoice();
  UpdateData(false);
  return true;
}

void CDefaultJoystickDlg::DoDataExchange(ui::CDataExchange* pDX) {
  ui::DDX_Radio(pDX, kIdcJoy2D, choice_);
}

void CDefaultJoystickDlg::OnOK() {
  if (!UpdateData(true)) return;
  WriteDefaultJoystickChoice(choice_);
  EndDialog(IDOK);
}
