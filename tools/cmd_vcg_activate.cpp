// tandrix vcg activate FILE: makes a configuration file the live tuning and
// prints the result of MVA_ActivateCfgFile (0 live, -1 not read or not
// written, -2 no joystick slot bound to the driver); a failure is also
// explained on standard error.
#include <cstdio>
#include <string>

#include "platform/registry.h"
#include "tools/command.h"
#include "tuning/mva_joystick.h"

namespace tools {

namespace {

std::string Explain(const std::string& file, const MVA_ActivateError& why) {
  switch (why.kind) {
    case MVA_ActivateError::kFile:
      return "cannot read the configuration file " + file;
    case MVA_ActivateError::kLongPath:
      return "the full path of " + file + " is longer than the " + std::to_string(kMvaMaxCfgPath) +
             " characters the driver takes";
    case MVA_ActivateError::kStore: {
      std::string store = platform::SystemRegistryError();
      if (store.empty()) {
        store = "the registry store " + platform::DefaultRegistryPath() + ": " +
                platform::RegErrorText(why.storeStatus);
      }
      return "the values could not be written: " + store;
    }
    case MVA_ActivateError::kNoSlot:
      return "no joystick slot is bound to the driver " + std::string(kMvaDriverName) +
             "; tandrix install binds slot 1";
    case MVA_ActivateError::kNone:
      break;
  }
  return "the activation failed";
}

}  // namespace

int VcgActivate(const Args& a) {
  if (a.size() != 1) return UsageError("vcg activate needs one FILE");
  MVA_ActivateError why;
  const int result = MVA_ActivateCfgFile(a[0], &why);
  std::printf("%d\n", result);
  if (result != 0) std::fprintf(stderr, "tandrix: %s\n", Explain(a[0], why).c_str());
  return result == 0 ? 0 : 1;
}

}  // namespace tools
