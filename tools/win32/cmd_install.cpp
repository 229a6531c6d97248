// tandrix install DIR on Windows: the product files and the programs in
// DIR, and the joystick keys in the system's registry, by the same steps as
// on Linux (install.cpp). There is no store file to record, no link and no
// autostart entry here: the registry is the system's, and the programs are
// copied from beside tandrix.exe (or from the build).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/dospath.h"
#include "platform/registry.h"
#include "tools/command.h"
#include "tools/install.h"
#include "tuning/mva_joystick.h"

namespace fs = std::filesystem;

namespace tools {
namespace {

int Install(const Args& a) {
  if (a.size() != 1 || (a[0].size() > 1 && a[0][0] == '-')) return UsageError("install takes one DIR");
  const auto dir = FolderArgument(a[0]);
  if (!dir) return Fail("not a usable folder: " + a[0]);
  MadeByInstall made;
  ProductCopy copy;
  if (int rc = MakeProductFolder(*dir, made, copy); rc != 0) return rc;
  std::string error;
  std::vector<std::string> programs;
  if (!CopyPrograms(*dir, made, programs, error)) return Fail(error);
  if (!NameCustomizer(*dir, made, error)) return Fail(error);
  // The serial port map is the system's own here: it is left alone.
  if (!SeedStore(platform::SystemRegistry(), platform::ToDosPath(dir->string()), nullptr, error)) {
    return Fail(error);
  }
  made.Keep();

  std::string names, missing;
  for (const std::string& program : ProgramNames()) {
    bool found = false;
    for (const std::string& p : programs) found = found || p == program;
    (found ? names : missing) += " " + program;
  }
  std::printf("installed into %s: %d product files copied, %d kept; programs:%s\n", dir->string().c_str(),
              copy.copied, copy.kept, names.empty() ? " none" : names.c_str());
  if (!missing.empty()) {
    std::printf("not found beside tandrix.exe or in the build, so not copied:%s\n", missing.c_str());
  }
  std::printf("registry %s: joystick slot 1 bound to %s\n", platform::DefaultRegistryPath().c_str(),
              std::string(kMvaDriverName).c_str());
  return 0;
}

const Command kInstall(
    "install", "install DIR", Install,
    "Makes DIR a product folder: copies the product files into it (a file already\n"
    "there is kept), copies Tandmon.exe, Chooser.exe and svcsetup.exe into it\n"
    "from beside tandrix.exe (or from the build folder), names the customizer in\n"
    "its Tandmon.ini and binds joystick slot 1 to the Tandrix driver in the\n"
    "system's registry, under the driver key the joystick service names.\n"
    "\n"
    "The values go under HKEY_LOCAL_MACHINE where this user may write there, else\n"
    "under HKEY_CURRENT_USER (TANDRIX_REGISTRY_ROOT=HKLM or HKCU chooses; a key\n"
    "path after it, such as HKCU\\Software\\Trial, puts them all under that key).\n"
    "Running install again gives the same state.\n");

}  // namespace
}  // namespace tools
