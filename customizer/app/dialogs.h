// The customizer's dialogs besides the main one: the Champion box (155),
// the game type choice (152), the two game lists (159 Windows 95, 149 DOS)
// and the note on Windows 95 buttons (156). Each is modal and made afresh
// for one command.
#pragma once

#include <string>
#include <vector>

#include "customizer/dos_game_list.h"
#include "customizer/game_files.h"
#include "customizer/game_settings.h"
#include "ui/dialog.h"

// Tells experienced players about the Champion edition. Ends with IDOK.
class CChampionInfoDlg : public ui::CDialog {
 public:
  explicit CChampionInfoDlg(ui::CDialog* parent = nullptr);

 protected:
  bool OnInitDialog() override;
};

// Which kind of game to open: ends with kIdcDosGames (1039), kIdcWin95Games
// (1040) or IDCANCEL. The custom configuration choice stays disabled.
class CGameTypeDlg : public ui::CDialog {
 public:
  explicit CGameTypeDlg(ui::CDialog* parent = nullptr);

 protected:
  bool OnInitDialog() override;
};

// The built-in configurations and the games of Games.ini. IDOK fills the
// chosen row's file, text, section and NewGame value.
class CWinGameListDlg : public ui::CDialog {
 public:
  explicit CWinGameListDlg(ui::CDialog* parent = nullptr);

  std::string chosenFile;
  std::string chosenText;
  std::string sectionName;  // "" for the built-in rows
  int instructionsValue = 2;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange* pDX) override;
  void OnOK() override;

 private:
  std::vector<WinGameRow> rows_;
};

// The DOS games of setup.cfg, sorted by name. IDOK fills the chosen
// game's name and configuration file.
class CDosGameListDlg : public ui::CDialog {
 public:
  CDosGameListDlg(const CDosGameList& list, ui::CDialog* parent = nullptr);

  std::string chosenName;
  std::string chosenFile;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  const CDosGameList& list_;
};

// The DOS chooser: setup.cfg of the support folder, its list shown, and the
// chosen game's display text and configuration path in the games folder.
// False when nothing was chosen (the file missing or empty of games is
// told to the user first).
bool ChooseDosGame(ui::CDialog* owner, std::string& displayText, std::string& path);

// Why the buttons of a Windows 95 game are not set here. Ends with IDOK.
class CWin95ButtonsNoteDlg : public ui::CDialog {
 public:
  explicit CWin95ButtonsNoteDlg(ui::CDialog* parent = nullptr);

 protected:
  bool OnInitDialog() override;
};
