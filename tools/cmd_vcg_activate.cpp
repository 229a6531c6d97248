// tandrix vcg activate FILE: makes a configuration file the live tuning and
// prints the result of MVA_ActivateCfgFile (0 live, -1 not read or not
// written, -2 no joystick slot bound to the driver).
#include <cstdio>
#include <string>

#include "platform/registry.h"
#include "tools/command.h"
#include "tuning/mva_joystick.h"

namespace tools {

int VcgActivate(const Args& a) {
  if (a.size() != 1) return UsageError("vcg activate needs one FILE");
  platform::SystemRegistry();
  if (std::string why = platform::SystemRegistryError(); !why.empty()) {
    std::fprintf(stderr, "tandrix: %s\n", why.c_str());
  }
  const int result = MVA_ActivateCfgFile(a[0]);
  std::printf("%d\n", result);
  return result == 0 ? 0 : 1;
}

}  // namespace tools
