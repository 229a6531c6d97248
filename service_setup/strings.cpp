#include "service_setup/strings.h"

namespace {

struct StringResource {
  int id;
  std::string_view text;
};

constexpr StringResource kStrings[] = {
    {kIdsAboutBox, "&About svcsetup..."},
    {kIdsExeFilter, "Exe Files (*.exe)|*.exe|All Files (*.*)|*.*||\n"},
    {kIdsErrorOccurred, "An Error Occurred."},
    {kIdsConfigured, " Has Been Configured Successfully For "},
    {kIdsUnableToContinue, "Unable To Continue. Please Check The Entered Directory."},
    {kIdsNoCommandLine,
     "SVCSETUP - Unable To Find Any Command Line Arguments (ten.exe, ewrap.exe)"},
    {kIdsContactSupport,
     "Your game could not be setup for a service. Please contact Veltrani technical support."},
};

}  // namespace

std::string_view ServiceString(int id) {
  for (const auto& s : kStrings) {
    if (s.id == id) return s.text;
  }
  return {};
}
