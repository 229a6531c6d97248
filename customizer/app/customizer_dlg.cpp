#include "customizer/app/customizer_dlg.h"

#include <utility>

#include "customizer/app/customizer_app.h"
#include "customizer/app/dialogs.h"
#include "customizer/app/options_dialogs.h"
#include "customizer/app/resources.h"
#include "customizer/game_files.h"
#include "customizer/shared_strings.h"
#include "customizer/store_failure.h"
#include "platform/fileops.h"
#include "tuning/mva_joystick.h"
#include "ui/dialog_model.h"
#include "ui/help.h"
#include "ui/strings.h"

namespace {

constexpr int kSliderMin = 0;
constexpr int kSliderMax = 200;
constexpr int kSliderTicks = 10;

// The text after the last "\" of a path.
std::string FileNamePart(const std::string& path) {
  const std::size_t cut = path.rfind('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

CCustomizerDlg::CCustomizerDlg() : CDialog(CustomizerTemplate()) {
  OnCommandId(kIdcSelectGame, [this] { OnSelectGame(); });
  OnCommandId(kIdmFileOpen, [this] { OnSelectGame(); });
  OnCommandId(kIdcSave, [this] { OnSaveSettings(); });
  OnCommandId(kIdmFileSave, [this] { OnSaveSettings(); });
  OnCommandId(kIdcApply, [this] { OnApplySettings(); });
  OnCommandId(kIdmFileApply, [this] { OnApplySettings(); });
  OnCommandId(kIdmFileExit, [this] { OnExit(); });
  OnCommandId(kIdcDefault, [this] { OnDefault(); });
  OnCommandId(kIdcBasic, [this] { OnLevel(0); });
  OnCommandId(kIdcFullFreedom, [this] { OnLevel(1); });
  OnCommandId(kIdcHorizontal, [this] { OnOrientation(); });
  OnCommandId(kIdcVertical, [this] { OnOrientation(); });
  OnCommandId(kIdcButtonFunctions, [this] { OnButtonFunctions(); });
  OnCommandId(kIdcChampion, [this] { OnChampion(); });
  // The state itself is stored by the next save.
  OnCommandId(kIdcShowInstructions, [this] { settings_.dirty = 1; });
  OnCommandId(kIdcSlider, [this] { sliderMoved_ = 1; }, TB_ENDTRACK);
  OnCommandId(kIdmOptionsDefaults, [this] { CDefaultJoystickDlg(this).DoModal(); });
  OnCommandId(kIdmOptionsModes, [this] { OnModes(); });
  OnCommandId(kIdmOptionsJoystick, [this] { CJoystickSettingsDlg(this).DoModal(); });
  OnCommandId(kIdmHelpContents, [this] { OnHelp(); });

  const std::string current = ReadCurrentConfigName();
  // Where the monitor took it from: a DOS game's file is in games, a
  // player's own copy in the player's folder.
  const std::string candidate = FindCurrentConfigFile(current, GamesDirectory());
  if (!candidate.empty() && LoadReplacing(settings_, candidate) == LoadError::None) {
    currentPath_ = candidate;
    displayName_ = DisplayNameOf(candidate);
  }
  settings_.instructionsValue = kInstructionsNotSet;
  if (auto game = FindGameByVcg(current)) {
    settings_.gameSection = game->section;
    settings_.instructionsValue = game->newGame;
  }
  sensLevel_ = settings_.level;
  level_ = settings_.level;
  orientation_ = settings_.orientation;
  if (settings_.type == kTypeNone) {
    displayName_ = ui::LoadString(kIdsNone);
    status_ = ui::LoadString(kIdsClickOnLoad);
  } else {
    status_ = ui::LoadString(kIdsModifyOrLoad);
  }
}

bool CCustomizerDlg::OnInitDialog() {
  SetWindowText(AppTitle());
  SetIcon(kIdiCustomizer, true);
  SetIcon(kIdiCustomizer, false);

  ui::CControl slider = GetDlgItem(kIdcSlider);
  slider.SetPageSize(1);
  slider.SetTicFreq(kSliderTicks);
  slider.SetRange(kSliderMin, kSliderMax);
  slider.SetPos(settings_.CurrentSens(sensLevel_)[0]);

  const std::pair<int, int> texts[] = {
      {IDOK, kIdsExit},
      {kIdcSelectGame, kIdsSelectGame},
      {kIdcSave, kIdsSaveSettings},
      {kIdcApply, kIdsApplySettings},
      {kIdcGameTypeGroup, kIdsGameTypeGroup},
      {kIdcSensitivityGroup, kIdsSensitivity},
      {kIdcSlider, kIdsSensitivity},
      {kIdcDefault, kIdsDefault},
      {kIdcOrientationGroup, kIdsOrientation},
      {kIdcHorizontal, kIdsHorizontal},
      {kIdcVertical, kIdsVertical},
      {kIdcBasic, kIdsBasic},
      {kIdcFullFreedom, kIdsFullFreedom},
      {kIdcButtonFunctions, kIdsButtonFunctions},
      {kIdcAdvancedGroup, kIdsAdvanced},
  };
  for (const auto& [id, text] : texts) SetDlgItemText(id, ui::LoadString(text));
  titleLabel_ = ui::LoadString(kIdsGameTitle);
  sliderCaption_ = ui::LoadString(kIdsMaster);
  slower_ = ui::LoadString(kIdsSlower);
  normal_ = ui::LoadString(kIdsNormal);
  faster_ = ui::LoadString(kIdsFaster);
  description_ = ui::LoadString(kIdsDescription);

  ApplyEnablingRules();
  if (settings_.type != kTypeNone) displayName_ = settings_.record.applicationName;
  UpdateData(false);
  return true;
}

void CCustomizerDlg::DoDataExchange(ui::CDataExchange* pDX) {
  ui::DDX_Radio(pDX, kIdcBasic, level_);
  ui::DDX_Radio(pDX, kIdcHorizontal, orientation_);
  ui::DDX_Text(pDX, kIdcStatus, status_);
  ui::DDX_Text(pDX, kIdcDisplayName, displayName_);
  ui::DDX_Text(pDX, kIdcDescription, description_);
  ui::DDX_Text(pDX, kIdcTitleLabel, titleLabel_);
  ui::DDX_Text(pDX, kIdcFaster, faster_);
  ui::DDX_Text(pDX, kIdcMaster, sliderCaption_);
  ui::DDX_Text(pDX, kIdcNormal, normal_);
  ui::DDX_Text(pDX, kIdcSlower, slower_);
  ui::DDX_Text(pDX, kIdcGameType, gameTypeLabel_);
}

void CCustomizerDlg::OnDestroy() {
  MVA_FreeCfgRecord(settings_.record);
  CDialog::OnDestroy();
}

void CCustomizerDlg::ShowStatus(int stringId) {
  status_ = ui::LoadString(stringId);
  SetDlgItemText(kIdcStatus, status_);
}

void CCustomizerDlg::ReadSlider() {
  UpdateData(true);
  settings_.CurrentSens(sensLevel_)[0] = GetDlgItem(kIdcSlider).GetPos();
}

void CCustomizerDlg::ApplyEnablingRules() {
  const bool open = settings_.type != kTypeNone;
  const int controls[] = {kIdcSlider, kIdcDefault,   kIdcChampion,        kIdcSave,
                          kIdcApply,  kIdcButtonFunctions, kIdcBasic, kIdcFullFreedom,
                          kIdcHorizontal, kIdcVertical};
  for (int id : controls) {
    // DOS games get their configuration when the monitor starts them.
    const bool enable = open && (id != kIdcApply || settings_.type == kTypeWindows);
    GetDlgItem(id).EnableWindow(enable);
  }
  gameTypeLabel_ = ui::LoadString(settings_.type == kTypeDos ? kIdsDos : kIdsWindows95);
  ui::CControl show = GetDlgItem(kIdcShowInstructions);
  if (settings_.instructionsValue == 0 || settings_.instructionsValue == 1) {
    show.EnableWindow(true);
    show.SetCheck(settings_.instructionsValue == 1 ? BST_CHECKED : BST_UNCHECKED);
  } else {
    show.EnableWindow(false);
  }
}

void CCustomizerDlg::Refresh() {
  sensLevel_ = settings_.level;
  level_ = settings_.level;
  orientation_ = settings_.orientation;
  GetDlgItem(kIdcSlider).SetPos(settings_.CurrentSens(sensLevel_)[0]);
  ApplyEnablingRules();
  status_ = ui::LoadString(settings_.type == kTypeNone ? kIdsLoadOrNew : kIdsModifyOrLoad);
}

bool CCustomizerDlg::ShowInstructionsIsUsable() const {
  return Model() != nullptr && Model()->IsEnabled(kIdcShowInstructions);
}

void CCustomizerDlg::FindGameSection(bool byTitle) {
  if (!settings_.gameSection.empty()) return;
  auto game = byTitle ? FindGameByTitle(settings_.title) : FindGameByVcg(FileNamePart(currentPath_));
  if (!game) return;
  settings_.gameSection = game->section;
  settings_.instructionsValue = game->newGame;
}

// A configuration that belongs to no game of Games.ini has nowhere to keep
// the value: nothing is written (writing it would make a section the
// monitor would take for a game).
void CCustomizerDlg::WriteInstructionsValue() {
  if (settings_.gameSection.empty()) return;
  if (!WriteNewGame(settings_.gameSection, settings_.instructionsValue)) MessageBeep(MB_OK);
}

int CCustomizerDlg::SaveIfModified() {
  if (!settings_.Changed() && sliderMoved_ == 0) return IDNO;
  const int answer = MessageBox(FormatString(kIdsSaveChanges, displayName_), AppTitle(),
                                MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer != IDYES) return answer;
  int rc = 0;
  {
    ui::CWaitCursor wait;
    rc = settings_.Save(currentPath_);
    FindGameSection(true);
    // A disabled box is not the user's choice: it replaces only a value
    // that was not set, so a game's instructions are never switched off
    // behind the user's back.
    if (ShowInstructionsIsUsable() || settings_.instructionsValue == kInstructionsNotSet) {
      settings_.instructionsValue = IsDlgButtonChecked(kIdcShowInstructions) == BST_CHECKED ? 1 : 0;
    }
    WriteInstructionsValue();
  }
  if (rc != 0) {
    MessageBox(FormatString(kIdsErrorSaving, displayName_), AppTitle(), MB_OK | MB_ICONSTOP);
    return IDCANCEL;
  }
  // Saved: the slider's position is in the file now.
  sliderMoved_ = 0;
  return IDYES;
}

int CCustomizerDlg::LoadConfiguration(GameKind kind) {
  std::string path;
  std::string displayText;
  std::string section;
  int instructions = kInstructionsNotSet;
  if (kind == GameKind::Windows95) {
    CWinGameListDlg dlg(this);
    if (dlg.DoModal() != IDOK) return 2;
    section = dlg.sectionName;
    instructions = dlg.instructionsValue;
    if (dlg.chosenFile.empty()) return 2;
    path = dlg.chosenFile.find('\\') == std::string::npos ? "defaults\\" + dlg.chosenFile
                                                          : dlg.chosenFile;
    displayText = dlg.chosenText;
  } else if (!ChooseDosGame(this, displayText, path)) {
    return 2;
  }

  LoadError error = LoadError::None;
  {
    ui::CWaitCursor wait;
    error = LoadReplacing(settings_, path);
  }
  if (error != LoadError::None) {
    // The open configuration is untouched: path, name, values and the
    // game's section all stay those of the previous file.
    const int text = error == LoadError::OldVersion ? kIdsIncorrectVersion : kIdsErrorLoading;
    MessageBox(FormatString(text, CutVcgExtension(displayText)), AppTitle(), MB_OK | MB_ICONSTOP);
    return 2;
  }
  settings_.gameSection = section;
  settings_.instructionsValue = instructions;
  currentPath_ = path;
  displayName_ = CutVcgExtension(displayText);
  // The slider now shows the new file's value.
  sliderMoved_ = 0;
  return 1;
}

void CCustomizerDlg::OnSelectGame() {
  ReadSlider();
  if (SaveIfModified() == IDCANCEL) return;
  ShowStatus(kIdsChooseGame);
  UpdateData(false);
  CGameTypeDlg type(this);
  const int kind = type.DoModal();
  if (kind == IDCANCEL || kind < 0) return;
  const bool dos = kind == kIdcDosGames;
  if (LoadConfiguration(dos ? GameKind::Dos : GameKind::Windows95) == 1) {
    Refresh();
    UpdateData(false);
  }
  if (dos) {
    CheckDlgButton(kIdcShowInstructions, BST_UNCHECKED);
    GetDlgItem(kIdcShowInstructions).EnableWindow(false);
  }
}

void CCustomizerDlg::OnSaveSettings() {
  if (settings_.type == kTypeNone) return;
  ShowStatus(kIdsSaving);
  UpdateData(false);
  ReadSlider();
  sliderMoved_ = 0;
  int rc = 0;
  {
    ui::CWaitCursor wait;
    rc = settings_.Save(currentPath_);
    FindGameSection(false);
    if (settings_.instructionsValue != kInstructionsNotSet && ShowInstructionsIsUsable()) {
      settings_.instructionsValue = IsDlgButtonChecked(kIdcShowInstructions) == BST_CHECKED ? 1 : 0;
    }
    WriteInstructionsValue();
  }
  if (rc != 0) {
    MessageBox(FormatString(kIdsErrorSaving, displayName_), AppTitle(), MB_OK | MB_ICONSTOP);
    return;
  }
  Refresh();
  UpdateData(false);
}

void CCustomizerDlg::OnApplySettings() {
  // The slider first, like every save: a Yes below saves the value the
  // player moved it to, not the one before.
  ReadSlider();
  if (SaveIfModified() == IDCANCEL) return;
  sliderMoved_ = 0;
  ShowStatus(kIdsUpdating);
  UpdateData(false);
  ReadSlider();
  // The file on disk is what goes live: declined changes are not applied.
  MVA_ActivateError why;
  {
    ui::CWaitCursor wait;
    MVA_ActivateCfgFile(currentPath_, &why);
  }
  // A file the driver cannot take stays as quiet as it always was; a store
  // that refused is something the player can act on.
  if (why.kind == MVA_ActivateError::kStore) {
    MessageBox(StoreFailureText("The configuration could not be made live",
                                static_cast<platform::RegStatus>(why.storeStatus)),
               AppTitle(), MB_OK | MB_ICONSTOP);
  }
}

void CCustomizerDlg::OnExit() {
  ShowStatus(kIdsSaveConfiguration);
  UpdateData(false);
  ReadSlider();
  if (SaveIfModified() == IDCANCEL) return;
  EndDialog(IDOK);
}

void CCustomizerDlg::OnOK() { OnExit(); }

void CCustomizerDlg::OnCancel() { OnExit(); }

void CCustomizerDlg::OnDefault() {
  UpdateData(true);
  ShowStatus(kIdsSettingDefault);
  // Only the slider moves; the value is taken at the next reading of it.
  GetDlgItem(kIdcSlider).SetPos(settings_.DefaultSens(sensLevel_)[0]);
  UpdateData(false);
}

void CCustomizerDlg::OnLevel(int value) {
  ShowStatus(value == 0 ? kIdsLevelBasic : kIdsLevelFullFreedom);
  if (settings_.level != value) {
    // Each level keeps its own master sensitivity.
    settings_.CurrentSens(sensLevel_)[0] = GetDlgItem(kIdcSlider).GetPos();
    settings_.level = value;
    level_ = value;
    sensLevel_ = value;
    GetDlgItem(kIdcSlider).SetPos(settings_.CurrentSens(sensLevel_)[0]);
  }
  if (settings_.orientation > 0) {
    CheckDlgButton(kIdcHorizontal, BST_UNCHECKED);
    CheckDlgButton(kIdcVertical, BST_CHECKED);
    settings_.orientation = 1;
  }
}

void CCustomizerDlg::OnOrientation() {
  UpdateData(true);
  ShowStatus(orientation_ == 1 ? kIdsOrientationVertical : kIdsOrientationHorizontal);
  settings_.orientation = orientation_;
  UpdateData(false);
}

void CCustomizerDlg::OnButtonFunctions() {
  ShowStatus(kIdsChooseFunctions);
  UpdateData(false);
  // Windows 95 games assign the buttons themselves.
  if (settings_.type == kTypeWindows) {
    CWin95ButtonsNoteDlg(this).DoModal();
  } else {
    CButtonFunctionsDlg(displayName_, settings_, this).DoModal();
  }
}

void CCustomizerDlg::OnChampion() {
  ShowStatus(kIdsChampionStatus);
  UpdateData(false);
  CChampionInfoDlg(this).DoModal();
}

void CCustomizerDlg::OnModes() {
  const int oldLevel = settings_.level;
  CModesDlg(&settings_, this).DoModal();
  if (settings_.level != oldLevel) {
    settings_.CurrentSens(sensLevel_)[0] = GetDlgItem(kIdcSlider).GetPos();
    sensLevel_ = settings_.level;
    GetDlgItem(kIdcSlider).SetPos(settings_.CurrentSens(sensLevel_)[0]);
  }
  level_ = settings_.level;
  orientation_ = settings_.orientation;
  UpdateData(false);
}

// The help file sits beside the program; where it cannot be shown the
// viewer of its readable companion is started instead, never waited for.
void CCustomizerDlg::OnHelp() {
  // A desktop without a viewer (no xdg-open) would otherwise do nothing.
  std::string why;
  if (!ui::WinHelp(ProgramDirectory() + "\\" + std::string(kHelpFile), HELP_CONTEXT, kHelpContext, &why)) {
    MessageBox("Help cannot be shown: " + why + ".", AppTitle(), MB_OK | MB_ICONEXCLAMATION);
  }
}
