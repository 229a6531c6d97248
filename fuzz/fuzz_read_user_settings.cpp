// The customizer's reader on any bytes, and saving its result over the same
// file as template.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_file.h"
#include "tuning/mva_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteInput(data, size);
  MVA_UserSettings settings;
  if (MVA_ReadUserSettings(settings, path) == 0) {
    MVA_SaveUserSettings(settings, path, fuzz::ScratchPath("saved.vcg"));
  }
  return 0;
}
