#include "customizer/app/dialogs.h"
#include "customizer/app/resources.h"
#include "customizer/shared_strings.h"

CChampionInfoDlg::CChampionInfoDlg(ui::CDialog* parent) : CDialog(ChampionInfoTemplate(), parent) {}

bool CChampionInfoDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(AppTitle());
  return true;
}
