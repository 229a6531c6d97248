// Help on Windows: the readable companion of the help file (or the file
// itself) opened with the program the desktop has for it.
#include "ui/win32/win32_host.h"

#include "ui/help.h"

namespace ui {

std::string HelpViewer() { return "the desktop's program for the file"; }

bool OpenHelpFile(const std::string& file, std::string* why) {
  const auto started = reinterpret_cast<INT_PTR>(
      ::ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (started <= 32) {
    if (why != nullptr) *why = "no program opens " + file;
    return false;
  }
  return true;
}

}  // namespace ui
