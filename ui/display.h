// Whether this session has a display to show windows on.
#pragma once

#include <string>

namespace ui {

// False when TANDRIX_HEADLESS is "1", or when neither DISPLAY nor
// WAYLAND_DISPLAY is set (empty counts as not set).
bool HasDisplay();

// True when the display named by WAYLAND_DISPLAY or DISPLAY answers (its
// socket accepts a connection), or when QT_QPA_PLATFORM names a platform
// that needs no display server. Toolkits end the program when they cannot
// reach their display, so this is asked before one is started. *why says
// what failed.
bool DisplayReachable(std::string* why = nullptr);

}  // namespace ui
