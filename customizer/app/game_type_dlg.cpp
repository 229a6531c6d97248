#include "customizer/app/dialogs.h"
#include "customizer/app/resources.h"
#include "customizer/shared_strings.h"
#include "ui/strings.h"

CGameTypeDlg::CGameTypeDlg(ui::CDialog* parent) : CDialog(GameTypeTemplate(), parent) {
  OnCommandId(kIdcDosGames, [this] { EndDialog(kIdcDosGames); });
  OnCommandId(kIdcWin95Games, [this] { EndDialog(kIdcWin95Games); });
}

bool CGameTypeDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(AppTitle());
  SetDlgItemText(kIdcDosGames, ui::LoadString(kIdsDosGames));
  SetDlgItemText(kIdcWin95Games, ui::LoadString(kIdsWin95Games));
  SetDlgItemText(kIdcCustomConfig, ui::LoadString(kIdsCustomConfig));
  SetDlgItemText(IDCANCEL, ui::LoadString(kIdsCancel));
  // Offered, but there is nothing behind it.
  GetDlgItem(kIdcCustomConfig).EnableWindow(false);
  return true;
}
