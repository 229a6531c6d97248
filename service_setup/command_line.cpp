#include "service_setup/command_line.h"

namespace {

constexpr std::string_view kBlanks = " \t";

}  // namespace

ServiceCommand ParseServiceCommand(std::string_view commandLine) {
  ServiceCommand cmd;
  const std::size_t start = commandLine.find_first_not_of(kBlanks);
  if (start == std::string_view::npos) return cmd;
  const std::string_view text = commandLine.substr(start);
  const std::string_view firstWord = text.substr(0, text.find_first_of(kBlanks));

  if (firstWord == "1") {
    cmd.mode = SetupMode::kSetup;
  } else if (firstWord == "0" || text.find('0') != std::string_view::npos) {
    cmd.mode = SetupMode::kRestore;
  } else {
    cmd.mode = SetupMode::kSetup;
  }
  if (text.find("ten.exe") != std::string_view::npos) {
    cmd.service = Service::kTen;
  } else if (text.find("ewrap.exe") != std::string_view::npos) {
    cmd.service = Service::kEngage;
  }
  return cmd;
}

std::string_view ServiceName(Service service) {
  switch (service) {
    case Service::kTen:
      return "TEN";
    case Service::kEngage:
      return "ENGAGE";
    case Service::kNone:
      break;
  }
  return {};
}
