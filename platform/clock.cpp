#include "platform/clock.h"

#include <cstdio>

namespace platform {

std::string FormatTime24(const std::tm& t) {
  // Fixed English names: the form is a file format, not a display text.
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* day = (t.tm_wday >= 0 && t.tm_wday < 7) ? kDays[t.tm_wday] : "???";
  const char* month = (t.tm_mon >= 0 && t.tm_mon < 12) ? kMonths[t.tm_mon] : "???";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s %s %2d %02d:%02d:%02d %d", day, month, t.tm_mday, t.tm_hour,
                t.tm_min, t.tm_sec, t.tm_year + 1900);
  return buf;
}

std::string LocalTime24(std::time_t when) {
  std::tm t{};
  localtime_r(&when, &t);
  return FormatTime24(t);
}

std::string LocalTime24() { return LocalTime24(std::time(nullptr)); }

}  // namespace platform
