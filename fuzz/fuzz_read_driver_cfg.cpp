// The driver view on any bytes, and every table made from it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_file.h"
#include "tuning/mva_driver_view.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteInput(data, size);
  MVA_DriverCfg cfg;
  if (MVA_ReadDriverCfg(cfg, 0, path) != 0) return 0;
  int64_t sum = 0;
  for (int axis = 0; axis < 8; ++axis) {
    MVA_AxisTable t = MVA_MakeAxisTable(cfg, axis);
    if (t.segmentCount < 0 || t.segmentCount > kMvaTableSegments) __builtin_trap();
    for (int i = 0; i < t.segmentCount; ++i) sum += t.column[3][i];
  }
  for (int32_t s : MVA_MakeSensitivity(cfg)) sum += s;
  MVA_FreeDriverCfg(cfg);
  // Keeps the work from being optimised away.
  static volatile int64_t sink;
  sink = sink + sum;
  return 0;
}
