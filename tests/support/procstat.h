// What the host says about a running process, for tests that check the
// order of a process list against the real machine.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace testsupport {

// When the process started, in clock ticks since boot; 0 when it is gone.
inline unsigned long long ProcessStartTime(std::uint32_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The command name in parentheses may hold spaces; the fields after it
  // do not.
  std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream rest(stat.substr(close + 2));
  std::string field;
  for (int i = 3; i <= 22 && rest >> field; ++i) {
    if (i == 22) return std::stoull(field);
  }
  return 0;
}

}  // namespace testsupport
