// Dialogs the ui tests play on either host, built from the sample templates.
#pragma once

#include <vector>

#include "sample_templates.h"
#include "ui/dialog.h"

namespace uitest {

// The joystick prompt's behaviour, built on the framework: it starts
// centred with its box ticked, beeps, answers IDYES / IDNO and records
// every click of the box.
class PromptDlg : public ui::CDialog {
 public:
  PromptDlg() : CDialog(PromptTemplate()) {
    OnCommandId(1000, [this] { written.push_back(IsDlgButtonChecked(1000)); });
  }
  std::vector<int> written;

 protected:
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    CenterWindow();
    CheckDlgButton(1000, BST_CHECKED);
    MessageBeep(MB_OK);
    return true;
  }
  void OnOK() override { EndDialog(IDYES); }
  void OnCancel() override { EndDialog(IDNO); }
};

}  // namespace uitest
