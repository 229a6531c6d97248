#include <algorithm>

#include "customizer/app/options_dialogs.h"
#include "customizer/app/options_resources.h"
#include "customizer/game_settings.h"
#include "customizer/shared_strings.h"

CButtonFunctionsDlg::CButtonFunctionsDlg(std::string displayName, CGameSettings& settings,
                                         ui::CDialog* parent)
    : CDialog(ButtonFunctionsTemplate(), parent),
      displayName_(std::move(displayName)),
      settings_(settings) {
  OnCommandId(kIdcSetDefault, [this] { OnSetDefault(); });
}

bool CButtonFunctionsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(AppTitle());
  const int names = std::clamp(settings_.nameCount, 0, static_cast<int>(settings_.buttonNames.size()));
  for (int b = 0; b < kMvaButtons; ++b) {
    ui::CControl list = GetDlgItem(kIdcButtonA + b);
    // Unsorted, so a list position is the function's index; 255 (no
    // function) or any other index past the list selects nothing.
    for (int i = 0; i < names; ++i) list.AddString(settings_.buttonNames[i]);
    list.SetCurSel(settings_.currentButtons[b]);
  }
  SetDlgItemText(kIdcConfigName, displayName_);
  return true;
}

// Shown only; stored by OK like any other choice.
void CButtonFunctionsDlg::OnSetDefault() {
  for (int b = 0; b < kMvaButtons; ++b) {
    GetDlgItem(kIdcButtonA + b).SetCurSel(settings_.defaultButtons[b]);
  }
}

// The dirty flag stays as it is: the change test compares the buttons
// with their snapshot.
void CButtonFunctionsDlg::OnOK() {
  for (int b = 0; b < kMvaButtons; ++b) {
    settings_.currentButtons[b] = GetDlgItem(kIdcButtonA + b).GetCurSel();
  }
  EndDialog(IDOK);
}
