// svcsetup's two dialogs: the main dialog (102), where the user picks the
// game and its path and sets it up for the service, and the About box (100).
#pragma once

#include <string>

#include "service_setup/command_line.h"
#include "service_setup/game_setup.h"
#include "service_setup/service_games.h"
#include "ui/dialog.h"

class CServiceSetupDlg : public ui::CDialog {
 public:
  // productDir is W, the folder of tandmon.ini, support\ and games\;
  // programPath the program's own file, beside which its help lies.
  CServiceSetupDlg(std::string productDir, Service service, std::string programPath);

  // The dialog data.
  int m_game = kNoGame;
  std::string m_gamePath;
  std::string m_serviceName;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange* pDX) override;
  void OnOK() override;
  void OnSysCommand(int id) override;

 private:
  void OnGameChosen();
  void OnBrowse();
  void OnHelp();
  // The message of a failed setup; false when the setup went through.
  bool ReportFailure(const SetupResult& result);

  std::string productDir_;
  Service service_;
  std::string programPath_;
  const ServiceGame* chosen_ = nullptr;  // set when a game is chosen
};

class CAboutDlg : public ui::CDialog {
 public:
  CAboutDlg();
};
