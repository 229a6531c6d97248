// Single lookups on a file a caller has opened (the monitor reads a few
// tokens this way without reading a whole record).
#include <string>

#include "tuning/mva_config.h"
#include "tuning/mva_scan.h"

int MVA_GetCfgValue(std::string& buffer, std::string_view key, int sectionIndex,
                    platform::File& file) {
  return mva_detail::CfgText(file.Bytes()).Value(buffer, key, sectionIndex, false);
}

int MVA_GetCfgValueUpper(std::string& buffer, std::string_view key, int sectionIndex,
                         platform::File& file) {
  return mva_detail::CfgText(file.Bytes()).Value(buffer, key, sectionIndex, true);
}

int MVA_GetCfgItem(std::string& buffer, std::string_view key, int sectionIndex,
                   platform::File& file, int n, MVA_CfgItemCache* cache, bool singleGroup) {
  buffer.clear();
  if (n < 1) return 8;
  const mva_detail::CfgText text(file.Bytes());
  std::size_t pos = 0;
  int rc = 0;
  if (cache && cache->keyPos >= 0 && cache->key == key && n == cache->lastItem + 1 &&
      cache->nextPos >= 0) {
    pos = static_cast<std::size_t>(cache->nextPos);
  } else {
    std::size_t line = 0;
    rc = text.FindBracedKey(key, sectionIndex, line);
    if (rc != 0) return rc;
    if (cache) {
      cache->key.assign(key);
      cache->keyPos = static_cast<int64_t>(line);
      cache->lastItem = 0;
      cache->nextPos = -1;
    }
    rc = text.OpenBraced(line, singleGroup, pos);
    if (rc != 0) return rc;
    for (int i = 1; i < n; ++i) {
      rc = text.NextGroup(pos, buffer);
      if (rc != 0) {
        buffer.clear();
        return rc;
      }
    }
  }
  rc = text.NextGroup(pos, buffer);
  if (rc != 0) return rc;
  if (cache) {
    cache->lastItem = n;
    cache->nextPos = static_cast<int64_t>(pos);
  }
  return 0;
}
