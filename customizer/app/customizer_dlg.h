// CCustomizerDlg: the customizer's one top-level window (template 154,
// menu 171, icon 128).
//
// The user picks a game's configuration (Select Game), changes its skill
// level, orientation, master sensitivity and buttons, saves it to its .vcg
// file together with the game's NewGame value in Games.ini, and applies it
// to the device. The dialog owns the working CGameSettings and opens every
// other customizer dialog.
#pragma once

#include <string>

#include "customizer/game_settings.h"
#include "ui/dialog.h"

class CCustomizerDlg : public ui::CDialog {
 public:
  // Reads Tandmon.ini and loads the configuration last made live (its copy
  // in Defaults\ first); without one the dialog opens with "<none>".
  CCustomizerDlg();

  enum class GameKind { Dos, Windows95 };
  // Asks to save a modified configuration: IDYES (saved), IDNO (not
  // modified, or declined) or IDCANCEL (cancelled, or the save failed).
  int SaveIfModified();
  // Shows the settings again after a load or save.
  void Refresh();
  // Lets the user choose a game of kind and loads its configuration:
  // 1 loaded, 2 nothing changed (cancelled, nothing chosen, or the load
  // failed and was reported).
  int LoadConfiguration(GameKind kind);

  CGameSettings& Settings() { return settings_; }
  const std::string& CurrentPath() const { return currentPath_; }
  const std::string& DisplayName() const { return displayName_; }
  bool SliderMoved() const { return sliderMoved_ != 0; }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange* pDX) override;
  void OnOK() override;      // Exit (button 1)
  void OnCancel() override;  // Escape: Exit too
  void OnDestroy() override;

 private:
  void OnSelectGame();
  void OnSaveSettings();
  void OnApplySettings();
  void OnExit();
  void OnDefault();
  void OnLevel(int value);
  void OnOrientation();
  void OnButtonFunctions();
  void OnChampion();
  void OnModes();
  void OnHelp();

  // Pulls the controls into the fields and stores the slider as the
  // current level's master sensitivity.
  void ReadSlider();
  void ApplyEnablingRules();
  void ShowStatus(int stringId);
  // The game's Games.ini section when not known yet (byTitle: the first
  // whose GameTitle is the configuration's title; else the first whose
  // GameVcg is the file's name); its NewGame becomes the value to keep.
  void FindGameSection(bool byTitle);
  // Writes the settings' NewGame into their section, when there is one.
  void WriteInstructionsValue();
  bool ShowInstructionsIsUsable() const;

  int level_ = 0;        // radio group 1015: 0 Basic, 1 Full Freedom
  int orientation_ = 0;  // radio group 1019: 0 Horizontal, 1 Vertical
  std::string status_;
  std::string displayName_;
  std::string description_;
  std::string titleLabel_;
  std::string faster_;
  std::string sliderCaption_;
  std::string normal_;
  std::string slower_;
  std::string gameTypeLabel_;
  std::string currentPath_;
  CGameSettings settings_;
  // The level whose sensitivity arrays the slider shows and edits.
  int sensLevel_ = 0;
  int sliderMoved_ = 0;
};
