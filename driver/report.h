// What a player asks about the driver: does it run, what does it read and
// post to, which configuration does it apply, and what is missing.
#pragma once

#include <string>
#include <vector>

namespace vexord {

struct DriverReport {
  bool running = false;
  int pid = 0;
  std::string input, output, configuration, tuningProblem;
  // What keeps the driver from working, each with how to get it.
  std::vector<std::string> missing;
};

// From the running driver's state file; with no driver running, from a look
// at /dev/uinput (uinputPath) and the input devices.
DriverReport ReadDriverReport(const std::string& uinputPath = "/dev/uinput");

}  // namespace vexord
