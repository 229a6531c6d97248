#include "monitor/app/dialogs.h"
#include "monitor/app/resources.h"

CAboutDlg::CAboutDlg(MonitorState& state) : CDialog(AboutTemplate()), state_(state) {}

bool CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CenterWindow();
  return true;
}

void CAboutDlg::OnOK() {
  state_.aboutOpen = false;
  EndDialog(IDYES);
}

void CAboutDlg::OnCancel() { OnOK(); }
