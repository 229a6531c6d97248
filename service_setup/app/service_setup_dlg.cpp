#include "platform/fileops.h"
#include "service_setup/app/dialogs.h"
#include "service_setup/app/resources.h"
#include "service_setup/game_setup.h"
#include "service_setup/strings.h"
#include "ui/file_dialog.h"
#include "ui/help.h"

CServiceSetupDlg::CServiceSetupDlg(std::string productDir, Service service,
                                   std::string programPath)
    : CDialog(ServiceSetupTemplate()),
      m_serviceName(ServiceName(service)),
      productDir_(std::move(productDir)),
      service_(service),
      programPath_(std::move(programPath)) {
  for (int id : {kIdcDuke, kIdcQuake, kIdcDescent}) OnCommandId(id, [this] { OnGameChosen(); });
  OnCommandId(kIdcBrowse, [this] { OnBrowse(); });
  OnCommandId(kIdcHelp, [this] { OnHelp(); });
}

bool CServiceSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (ui::Menu* system = GetSystemMenu(false)) {
    system->AppendMenu(MF_SEPARATOR);
    system->AppendMenu(MF_STRING, kIdmAboutBox, ServiceString(kIdsAboutBox));
  }
  SetIcon(kIdrMainFrame, true);
  SetIcon(kIdrMainFrame, false);
  // Each service plays only some of the games.
  if (service_ == Service::kTen) {
    GetDlgItem(kIdcDescent).EnableWindow(false);
  } else if (service_ == Service::kEngage) {
    GetDlgItem(kIdcDuke).EnableWindow(false);
    GetDlgItem(kIdcQuake).EnableWindow(false);
  }
  return true;
}

void CServiceSetupDlg::DoDataExchange(ui::CDataExchange* pDX) {
  ui::DDX_Radio(pDX, kIdcDuke, m_game);
  ui::DDX_Text(pDX, kIdcGamePath, m_gamePath);
  ui::DDX_Text(pDX, kIdcServiceName, m_serviceName);
}

void CServiceSetupDlg::OnGameChosen() {
  UpdateData(true);
  m_gamePath = ReadServiceGamePath(productDir_, m_game);
  GetDlgItem(IDOK).EnableWindow(true);
  UpdateData(false);
  chosen_ = FindServiceGame(m_game);
}

void CServiceSetupDlg::OnBrowse() {
  UpdateData(true);
  if (chosen_ == nullptr) {
    MessageBox("A Game Must Be Selected To Choose A Directory.", "ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  ui::CFileDialog dlg(true, ".exe", chosen_->expectedExe, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                      ServiceString(kIdsExeFilter), this);
  // Where the path shown points, when that folder exists: the user is most
  // likely to correct the name there.
  const std::size_t cut = m_gamePath.rfind('\\');
  if (cut != std::string::npos && platform::DirectoryExists(m_gamePath.substr(0, cut))) {
    dlg.Request().initialDir = m_gamePath.substr(0, cut);
  }
  if (dlg.DoModal() == IDOK) {
    m_gamePath = dlg.GetPathName();
    UpdateData(false);
  }
}

void CServiceSetupDlg::OnHelp() {
  // Beside the program. A program linked into the product folder from a
  // system folder finds its help in the product folder, where the
  // installation puts the product's files.
  const std::size_t cut = programPath_.rfind('\\');
  std::string help = (cut == std::string::npos ? std::string(".") : programPath_.substr(0, cut)) +
                     "\\" + std::string(kHelpFile);
  if (ui::HelpFileToOpen(help).empty()) help = productDir_ + "\\" + std::string(kHelpFile);
  std::string why;
  if (!ui::WinHelp(help, HELP_CONTEXT, kHelpContext, &why)) {
    MessageBox("Help cannot be shown: " + why + ".", kSetupCaption, MB_OK | MB_ICONEXCLAMATION);
  }
}

void CServiceSetupDlg::OnSysCommand(int id) {
  if (id == kIdmAboutBox) {
    CAboutDlg about;
    about.DoModal(*Host());
    return;
  }
  CDialog::OnSysCommand(id);
}

bool CServiceSetupDlg::ReportFailure(const SetupResult& result) {
  const std::string title(kSetupCaption);
  switch (result.status) {
    case SetupStatus::kDone:
      return false;
    case SetupStatus::kGameNotFound:
      MessageBox(m_gamePath + " cannot be found, please choose a correct path.", title,
                 MB_OK | MB_ICONEXCLAMATION);
      break;
    case SetupStatus::kStubMissing:
      MessageBox("The game could not be set up.\nSpecMva.exe is missing from the Tandrix's "
                 "directory.",
                 title, MB_OK | MB_ICONEXCLAMATION);
      break;
    case SetupStatus::kGameNotOpened:
      MessageBox("The game could not be set up.\nDuke3d.exe could not be opened.", title,
                 MB_OK | MB_ICONEXCLAMATION);
      break;
    case SetupStatus::kNewFileFailed:
      MessageBox(std::string(ServiceString(kIdsErrorOccurred)) + " While Making New File.\n" +
                     std::string(ServiceString(kIdsUnableToContinue)),
                 "ERROR", MB_OK | MB_ICONERROR);
      break;
    case SetupStatus::kBatchNotCreated:
      MessageBox("Unable To Create" + result.batchPath, "ERROR", MB_OK | MB_ICONERROR);
      break;
  }
  return true;
}

void CServiceSetupDlg::OnOK() {
  UpdateData(true);
  SetupResult result;
  {
    // A game's executable can be large; the copy takes a moment.
    ui::CWaitCursor wait(*Host());
    result = SetUpGame({productDir_, m_gamePath, m_game});
  }
  if (ReportFailure(result)) return;
  const std::string gameName(chosen_ != nullptr ? chosen_->gameName : "");
  MessageBox(gameName + std::string(ServiceString(kIdsConfigured)) + m_serviceName + ".",
             "INFORMATION", MB_OK);
  RecordServiceGame(productDir_, m_game, m_gamePath);
  CDialog::OnOK();
}

CAboutDlg::CAboutDlg() : CDialog(AboutBoxTemplate()) {}
