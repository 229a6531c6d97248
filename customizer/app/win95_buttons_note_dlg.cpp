#include "customizer/app/dialogs.h"
#include "customizer/app/resources.h"
#include "customizer/shared_strings.h"
#include "ui/strings.h"

CWin95ButtonsNoteDlg::CWin95ButtonsNoteDlg(ui::CDialog* parent)
    : CDialog(Win95ButtonsNoteTemplate(), parent) {}

bool CWin95ButtonsNoteDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(AppTitle());
  SetDlgItemText(kIdcNoteText, ui::LoadString(kIdsWin95Buttons));
  return true;
}
