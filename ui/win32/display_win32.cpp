// A Windows session always has its desktop to show windows on; a service
// without one still gets its windows, which nobody sees.
#include "ui/display.h"

namespace ui {

bool HasDisplay() { return true; }

bool DisplayReachable(std::string* why) {
  if (why != nullptr) why->clear();
  return true;
}

}  // namespace ui
