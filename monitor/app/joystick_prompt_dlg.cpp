#include <string>

#include "monitor/app/dialogs.h"
#include "monitor/app/resources.h"
#include "platform/profile.h"

CJoystickPromptDlg::CJoystickPromptDlg(MonitorState& state)
    : CDialog(JoystickPromptTemplate()), state_(state) {
  OnCommandId(kIdcShowCheck, [this] { OnShowClicked(); });
}

bool CJoystickPromptDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CenterWindow();
  CheckDlgButton(kIdcShowCheck, BST_CHECKED);
  MessageBeep(MB_OK);
  return true;
}

// Written at once, so clearing the box stops the prompt in later runs of
// the monitor too, whichever button ends the dialog.
void CJoystickPromptDlg::OnShowClicked() {
  state_.showJoystick = IsDlgButtonChecked(kIdcShowCheck);
  platform::WritePrivateProfileString("Defaults", "ShowJoystick",
                                      std::to_string(state_.showJoystick), SettingsIniPath());
}

void CJoystickPromptDlg::OnOK() { EndDialog(IDYES); }

void CJoystickPromptDlg::OnCancel() { EndDialog(IDNO); }
