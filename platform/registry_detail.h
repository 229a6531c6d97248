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
// The checks every store makes before it writes a value: a valid name, a
// size within the limit, and bytes to go with a size.
bool ValidValueArgs(std::string_view name, const std::uint8_t* data, std::uint32_t size);
// Hands a stored value of actual bytes to a QueryValueEx caller: the type
// when asked for, the bytes when data is given and *size says they fit,
// and the size. When they do not fit: kRegMoreData, the size they need,
// data untouched.
RegStatus CopyValueOut(RegType storedType, const void* bytes, std::uint32_t actual, RegType* type,
                       std::uint8_t* data, std::uint32_t* size);
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

// Lets go of an SQLite store whose path has come to name another file.
// writeBack: the file the store was opened from is no longer at the path
// (deleted or renamed away), so what the store's log holds is written into
// that file and the log beside the path is emptied, where another file
// would otherwise take it for its own. Otherwise (the file was overwritten
// in place with something else) nothing is written into it.
void ReleaseMovedSqliteStore(Registry& store, bool writeBack);

// True when the first bytes of the file open on fd are those of a registry
// store (an SQLite database marked as one), or the file is empty. Read
// through a descriptor kept open beside the store's own: closing another
// descriptor of the file would drop the store's locks on it.
bool LooksLikeSqliteStore(int fd);

}  // namespace platform::regdetail
