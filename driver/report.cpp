#include "driver/report.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>

#include "driver/devices.h"
#include "platform/driver_socket.h"
#include "platform/unique_fd.h"

namespace vexord {
namespace {

// Answers only when a driver listens: a socket file left behind by a
// driver that was killed does not count.
bool DriverListens() {
  const std::string path = platform::DriverSocketPath();
  sockaddr_un addr{};
  if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
  platform::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size());
  return fd && ::connect(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
}

}  // namespace

DriverReport ReadDriverReport(const std::string& uinputPath) {
  DriverReport report;
  const std::string state = platform::DriverStatePath();
  report.running = DriverListens();
  if (report.running && !state.empty()) {
    std::map<std::string, std::string> values;
    std::ifstream in(state);
    for (std::string line; std::getline(in, line);) {
      const std::size_t eq = line.find('=');
      if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    report.pid = std::atoi(values["pid"].c_str());
    report.input = values["input"];
    report.output = values["output"];
    report.configuration = values["configuration"];
    report.tuningProblem = values["tuning-problem"];
    for (const char* key : {"output-missing", "input-missing"}) {
      if (!values[key].empty()) report.missing.push_back(values[key]);
    }
    return report;
  }
  // No driver: what it would miss if it were started now.
  if (::access(uinputPath.c_str(), R_OK | W_OK) != 0) report.missing.push_back(UinputProblem(uinputPath, errno));
  if (FindDevices("").empty()) {
    report.missing.push_back("no six-axis device found (six axes X..RZ and buttons): plug one in; "
                             "if it is plugged in, the tandrix package's udev rule gives the "
                             "seated user access to it");
  }
  return report;
}

}  // namespace vexord
