#include "customizer/app/customizer_app.h"

#include "customizer/app/customizer_dlg.h"
#include "customizer/app/resources.h"
#include "customizer/shared_strings.h"
#include "ui/strings.h"

namespace {

std::string& ProgramDir() {
  static std::string dir = ".";
  return dir;
}

}  // namespace

const std::string& ProgramDirectory() { return ProgramDir(); }
void SetProgramDirectory(std::string_view dir) { ProgramDir() = dir; }

int CCustomizerApp::InitInstance() {
  InitSharedStrings(ui::LoadString(kIdsAppTitle));
  CCustomizerDlg dlg;
  dlg.DoModal(app_.Dialogs());
  return 0;
}
