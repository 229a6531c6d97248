// The front end on Windows is always the Win32 one: the desktop is there,
// and the system's own dialogs, tray and timers serve the program.
#include "ui/win32/win32_app.h"

#include "ui/frontend.h"

namespace ui {

std::vector<std::string> QtModuleCandidates() { return {}; }

std::unique_ptr<Application> CreateApplication(int&, char**, std::string* why, const ImageTable* images) {
  if (why != nullptr) why->clear();
  // The track bar is a common control; the rest are the system's own.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  return std::make_unique<win32::Win32Application>(images != nullptr ? images : &ProgramImages());
}

}  // namespace ui
