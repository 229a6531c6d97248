// The full reader on any bytes, then the writer on whatever it read and the
// reader again on the writer's output; also the single lookups.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_file.h"
#include "platform/file.h"
#include "tuning/mva_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteInput(data, size);
  MVA_CfgRecord record;
  if (MVA_ReadCfgFile(record, 0, path) == 0) {
    const std::string out = fuzz::ScratchPath("written.vcg");
    if (MVA_WriteCfgFile(record, out) == 0) {
      MVA_CfgRecord again;
      MVA_ReadCfgFile(again, 0, out);
    }
  }
  MVA_FreeCfgRecord(record);

  platform::File file(path, platform::OpenMode::ReadText);
  std::string value;
  MVA_GetCfgValue(value, "LEVEL", -1, file);
  MVA_GetCfgValueUpper(value, "SF", 0, file);
  MVA_CfgItemCache cache;
  MVA_GetCfgItem(value, "TX", 0, file, 1, &cache, false);
  MVA_GetCfgItem(value, "TX", 0, file, 2, &cache, false);
  MVA_GetCfgItem(value, "HPFM_BEG", 0, file, 1, nullptr, true);
  return 0;
}
