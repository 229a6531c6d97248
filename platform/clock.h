// Local date and time in the C runtime's fixed 24-character form.
#pragma once

#include <ctime>
#include <string>

namespace platform {

// "Wed Mar 26 15:50:37 1997": English names whatever the locale, the day
// right-aligned in two places.
std::string FormatTime24(const std::tm& t);
std::string LocalTime24();
std::string LocalTime24(std::time_t when);

}  // namespace platform
