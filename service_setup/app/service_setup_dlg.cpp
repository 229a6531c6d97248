#include "platform/dospath.h"
#include "platform/file.h"
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

namespace {

// What went wrong with which file, after the system's own text.
std::string CauseOf(const SetupResult& result) {
  // "No such file" would only repeat the message.
  if (result.cause == platform::FileError::None || result.cause == platform::FileError::NotFound) {
    return {};
  }
  return "\n\n" + result.failedFile + ": " + platform::FileErrorText(result.cause) + ".";
}

}  // namespace

bool CServiceSetupDlg::ReportFailure(const SetupResult& result) {
  const std::string title(kSetupCaption);
  const unsigned warn = MB_OK | MB_ICONEXCLAMATION;
  const std::string notSetUp = "The game could not be set up.\n";
  // Said when putting the game back failed as well: where it is now.
  const std::string kept = result.gameKept ? std::string()
                                           : "\nThe game is kept as " + result.gameDir +
                                                 "\\realgame.exe.";
  switch (result.status) {
    case SetupStatus::kDone:
      return false;
    case SetupStatus::kPathTooLong:
      MessageBox(m_gamePath + " is longer than " + std::to_string(kMaxServicePath) +
                     " characters, please choose a shorter path.",
                 title, warn);
      break;
    case SetupStatus::kGameNotFound:
      if (result.cause == platform::FileError::NotFound) {
        MessageBox(m_gamePath + " cannot be found, please choose a correct path.", title, warn);
      } else {
        MessageBox(m_gamePath + " cannot be read (" + platform::FileErrorText(result.cause) +
                       "), please choose a correct path.",
                   title, warn);
      }
      break;
    case SetupStatus::kStubMissing:
      MessageBox(notSetUp + "SpecMva.exe is missing from the Tandrix's directory." +
                     CauseOf(result),
                 title, warn);
      break;
    case SetupStatus::kGameNotOpened:
      MessageBox(notSetUp + "Duke3d.exe could not be opened." + CauseOf(result), title, warn);
      break;
    case SetupStatus::kRealGameNotMade:
    case SetupStatus::kNotRecorded:
      MessageBox(notSetUp + result.failedFile + " could not be written: " +
                     platform::FileErrorText(result.cause) + "." + kept,
                 title, warn);
      break;
    case SetupStatus::kNewFileFailed:
      MessageBox(std::string(ServiceString(kIdsErrorOccurred)) + " While Making New File.\n" +
                     std::string(ServiceString(kIdsUnableToContinue)) + CauseOf(result),
                 "ERROR", MB_OK | MB_ICONERROR);
      break;
    case SetupStatus::kBatchNotCreated:
      MessageBox("Unable To Create" + result.batchPath + CauseOf(result) + kept, "ERROR",
                 MB_OK | MB_ICONERROR);
      break;
  }
  return true;
}

void CServiceSetupDlg::OnOK() {
  UpdateData(true);
  // A path typed in the host's own form is the file it names, as a path
  // Browse fills in is.
  if (m_gamePath.starts_with('/')) {
    m_gamePath = platform::ToDosPath(m_gamePath);
    UpdateData(false);
  }
  SetupResult result;
  {
    // A game's executable can be large; the copy takes a moment.
    ui::CWaitCursor wait(*Host());
    result = SetUpGame({productDir_, m_gamePath, m_game});
  }
  if (ReportFailure(result)) return;
  const std::string gameName(chosen_ != nullptr ? chosen_->gameName : "");
  // The Services keys are written already: a restore finds the game even
  // when this program is stopped while the message shows.
  MessageBox(gameName + std::string(ServiceString(kIdsConfigured)) + m_serviceName + ".",
             "INFORMATION", MB_OK);
  CDialog::OnOK();
}

CAboutDlg::CAboutDlg() : CDialog(AboutBoxTemplate()) {}
