#include "customizer/app/dialogs.h"
#include "customizer/app/resources.h"
#include "customizer/shared_strings.h"
#include "ui/strings.h"

CWinGameListDlg::CWinGameListDlg(ui::CDialog* parent) : CDialog(WinGameListTemplate(), parent) {
  OnCommandId(kIdcGameList, [this] { OnOK(); }, LBN_DBLCLK);
}

bool CWinGameListDlg::OnInitDialog() {
  rows_ = ReadWinGameRows();
  ui::CControl list = GetDlgItem(kIdcGameList);
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const int at = list.AddString(rows_[i].text);
    list.SetItemData(at, static_cast<std::intptr_t>(i));
  }
  // chosenText is still empty, so the first row is selected.
  return CDialog::OnInitDialog();
}

void CWinGameListDlg::DoDataExchange(ui::CDataExchange* pDX) {
  ui::DDX_LBString(pDX, kIdcGameList, chosenText);
}

void CWinGameListDlg::OnOK() {
  ui::CControl list = GetDlgItem(kIdcGameList);
  const int sel = list.GetCurSel();
  if (sel < 0) {
    MessageBox(ui::LoadString(kIdsChooseGameFirst), AppTitle(), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const WinGameRow& row = rows_[static_cast<std::size_t>(list.GetItemData(sel))];
  chosenFile = row.file;
  chosenText = row.text;
  sectionName = row.section;
  instructionsValue = row.section.empty() ? kInstructionsNotSet : ReadNewGame(row.section);
  EndDialog(IDOK);
}
