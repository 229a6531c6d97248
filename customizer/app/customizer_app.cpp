#include "customizer/app/customizer_app.h"

#include "customizer/app/customizer_dlg.h"
#include "customizer/app/resources.h"
#include "customizer/shared_strings.h"
#include "ui/strings.h"
#include "ui/window_search.h"

namespace {

std::string& ProgramDir() {
  static std::string dir = ".";
  return dir;
}

}  // namespace

const std::string& ProgramDirectory() { return ProgramDir(); }
void SetProgramDirectory(std::string_view dir) { ProgramDir() = dir; }

bool CCustomizerApp::BringRunningForward() {
  if (const ui::WindowRef running = ui::FindWindow(ui::LoadString(kIdsAppTitle))) {
    ui::SetForegroundWindow(running);
    return true;
  }
  if (const ui::WindowRef running = ui::FindWindow(ui::LoadString(kIdsChampionTitle))) {
    ui::SetFocus(running);
    return true;
  }
  return false;
}

int CCustomizerApp::InitInstance() {
  // One customizer at a time: a second start brings the running one
  // forward and ends, whichever edition it is.
  if (BringRunningForward()) return 0;
  InitSharedStrings(ui::LoadString(kIdsAppTitle));
  CCustomizerDlg dlg;
  dlg.DoModal(app_.Dialogs());
  return 0;
}
