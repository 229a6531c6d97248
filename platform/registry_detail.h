// Pieces shared by the registry stores: key paths, names and handles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

namespace platform::regdetail {

// Every store keeps its keys as numbered rows; the root is always row 1.
using KeyId = std::int64_t;
inline constexpr KeyId kRootId = 1;

// Splits "A\B\C" into its components. False when a component is empty or
// longer than a key name may be. "" gives no components.
bool SplitKeyPath(std::string_view path, std::vector<std::string>& components);
bool ValidValueName(std::string_view name);
// Names compare without regard to case (ASCII letters only, as the stores
// have always done).
std::string Fold(std::string_view name);

// The open handles of one store. The predefined root handle always maps to
// the root row and is never added or removed.
class HandleTable {
 public:
  HKey Add(KeyId id);
  bool Find(HKey key, KeyId& id) const;
  bool Remove(HKey key);

 private:
  std::unordered_map<std::uintptr_t, KeyId> open_;
  std::uintptr_t next_ = 0x1000;
};

}  // namespace platform::regdetail
