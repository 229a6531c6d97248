#include "service_setup/strings.h"

#include "ui/strings.h"

namespace {

constexpr ui::StringResource kStrings[] = {
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

// Here, beside ServiceString, which every user of the service setup calls:
// the linker keeps this file and with it the registration.
const ui::StringTableRegistration kRegistered(kStrings);

}  // namespace

std::string_view ServiceString(int id) { return ui::ProgramStrings().Find(id); }
