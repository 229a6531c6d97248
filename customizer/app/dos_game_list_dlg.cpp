#include "customizer/app/dialogs.h"
#include "customizer/app/resources.h"
#include "customizer/shared_strings.h"
#include "platform/file.h"
#include "ui/strings.h"

CDosGameListDlg::CDosGameListDlg(const CDosGameList& list, ui::CDialog* parent)
    : CDialog(DosGameListTemplate(), parent), list_(list) {
  OnCommandId(kIdcGameList, [this] { OnOK(); }, LBN_DBLCLK);
}

bool CDosGameListDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(AppTitle());
  ui::CControl list = GetDlgItem(kIdcGameList);
  const auto& entries = list_.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int at = list.AddString(entries[i].name);
    list.SetItemData(at, static_cast<std::intptr_t>(i));
  }
  SetDlgItemText(kIdcDosPrompt, ui::LoadString(kIdsChooseDosGame));
  SetDlgItemText(IDCANCEL, ui::LoadString(kIdsCancel));
  SetDlgItemText(IDOK, ui::LoadString(kIdsOk));
  return true;
}

void CDosGameListDlg::OnOK() {
  ui::CControl list = GetDlgItem(kIdcGameList);
  const int sel = list.GetCurSel();
  if (sel < 0) {
    MessageBox(ui::LoadString(kIdsChooseGameFirst), AppTitle(), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const DosGameEntry& entry = list_.Entries()[static_cast<std::size_t>(list.GetItemData(sel))];
  chosenName = entry.name;
  chosenFile = entry.file;
  EndDialog(IDOK);
}

bool ChooseDosGame(ui::CDialog* owner, std::string& displayText, std::string& path) {
  const std::string setupCfg = SupportDirectory() + "\\" + std::string(kSetupCfgName);
  if (platform::File probe; !probe.Open(setupCfg, platform::OpenMode::ReadText)) {
    owner->MessageBox(ui::LoadString(kIdsSetupCfgMissing), AppTitle(), MB_OK | MB_ICONSTOP);
    return false;
  }
  const CDosGameList games(setupCfg);
  if (games.Count() == 0) {
    owner->MessageBox(ui::LoadString(kIdsNoGamesFound), AppTitle(), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  CDosGameListDlg dlg(games, owner);
  if (dlg.DoModal() != IDOK) return false;
  displayText = dlg.chosenName;
  path = GamesDirectory() + "\\" + dlg.chosenFile;
  return true;
}
