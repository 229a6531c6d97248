#include "customizer/app/options_dialogs.h"
#include "customizer/app/options_resources.h"
#include "customizer/game_settings.h"
#include "customizer/shared_strings.h"
#include "customizer/store_failure.h"

CModesDlg::CModesDlg(CGameSettings* settings, ui::CDialog* parent)
    : CDialog(ModesTemplate(), parent), settings_(settings) {}

bool CModesDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  const ModesChoice choice = ReadModesFromRegistry();
  skill_ = choice.skill;
  orientation_ = choice.orientation;
  UpdateData(false);
  return true;
}

void CModesDlg::DoDataExchange(ui::CDataExchange* pDX) {
  ui::DDX_Radio(pDX, kIdcModesBasic, skill_);
  ui::DDX_Radio(pDX, kIdcModesVertical, orientation_);
  ui::DDX_Text(pDX, kIdcModesStatus, status_);
}

void CModesDlg::OnOK() {
  if (!UpdateData(true)) return;
  // A group without a selection (the registry held no word this program
  // wrote, and the user chose none) leaves that setting as each file, the
  // registry, the menu file and the open game have it.
  const ModesChoice choice{skill_, orientation_};
  {
    ui::CWaitCursor wait(*Host());
    outcome_ = ApplyModesToAllGames(choice, [this](const std::string& name) {
      status_ = name;
      SetDlgItemText(kIdcModesStatus, status_);
      // The loop runs on the user's thread: without this the name would
      // show only when every file is done.
      UpdateWindow();
    });
  }
  if (outcome_.store != platform::kRegOk) {
    // Nothing was changed; the dialog stays open with the user's choice.
    MessageBox(StoreFailureText("The modes could not be stored", outcome_.store) +
                   "\nNo configuration was changed.",
               AppTitle(), MB_OK | MB_ICONSTOP);
    return;
  }
  if (settings_ != nullptr && choice.skill != kNoChoice) settings_->level = choice.skill;
  if (settings_ != nullptr && choice.orientation != kNoChoice) {
    settings_->orientation = ConfigOrientationOf(choice.orientation);
  }
  // Files that could not be rewritten are skipped without a message, as
  // before: the user learns nothing they could act on here.
  EndDialog(IDOK);
}
