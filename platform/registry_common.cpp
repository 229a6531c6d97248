// Registry pieces every host shares: key paths and names, result texts,
// the helpers over the calls and the scoped key.
#include <cstring>
#include <string>
#include <vector>

#include "platform/dospath.h"
#include "platform/registry.h"
#include "platform/registry_detail.h"

namespace platform {

namespace regdetail {

bool SplitKeyPath(std::string_view path, std::vector<std::string>& components) {
  components.clear();
  if (path.empty()) return true;
  std::size_t start = 0;
  while (true) {
    std::size_t end = path.find('\\', start);
    std::string_view comp = path.substr(start, end == std::string_view::npos ? end : end - start);
    if (comp.empty() || comp.size() > kMaxKeyNameLength) return false;
    components.emplace_back(comp);
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

bool ValidValueName(std::string_view name) { return name.size() <= kMaxValueNameLength; }

bool ValidValueArgs(std::string_view name, const std::uint8_t* data, std::uint32_t size) {
  return ValidValueName(name) && size <= kMaxValueSize && (data != nullptr || size == 0);
}

RegStatus CopyValueOut(RegType storedType, const void* bytes, std::uint32_t actual, RegType* type,
                       std::uint8_t* data, std::uint32_t* size) {
  if (type != nullptr) *type = storedType;
  if (data != nullptr) {
    if (*size < actual) {
      *size = actual;
      return kRegMoreData;
    }
    if (actual > 0) std::memcpy(data, bytes, actual);
  }
  if (size != nullptr) *size = actual;
  return kRegOk;
}

std::string Fold(std::string_view name) { return ToLowerAscii(name); }

HKey HandleTable::Add(KeyId id) {
  std::uintptr_t h = next_;
  next_ += 4;
  open_.emplace(h, id);
  return HKey{h};
}

bool HandleTable::Find(HKey key, KeyId& id) const {
  if (key == kHKeyLocalMachine) {
    id = kRootId;
    return true;
  }
  auto it = open_.find(static_cast<std::uintptr_t>(key));
  if (it == open_.end()) return false;
  id = it->second;
  return true;
}

bool HandleTable::Remove(HKey key) {
  if (key == kHKeyLocalMachine) return true;
  return open_.erase(static_cast<std::uintptr_t>(key)) == 1;
}

}  // namespace regdetail

std::string RegStatusText(RegStatus status) {
  switch (status) {
    case kRegOk: return "done";
    case kRegFileNotFound: return "the key or value does not exist";
    case kRegAccessDenied: return "access denied";
    case kRegInvalidHandle: return "the key is not open";
    case kRegWriteProtect: return "the registry store is read-only";
    case kRegLockViolation: return "another program holds the registry store locked";
    case kRegDiskFull: return "disk full: no room left for the registry store";
    case kRegInvalidParameter: return "a bad name, size or argument";
    case kRegMoreData: return "the buffer is too small";
    case kRegNoMoreItems: return "no more items";
    case kRegBadDb: return "the registry store is damaged or not a registry store";
    case kRegIoFailed: return "a write did not reach the registry store";
    case kRegKeyDeleted: return "the key was deleted";
    case kRegCancelled: return "the writes were undone";
    default: return "unknown error";
  }
}

std::string RegErrorText(RegStatus status) {
  return "error " + std::to_string(status) + " (" + RegStatusText(status) + ")";
}

RegStatus Registry::QueryValue(HKey key, std::string_view name, RegValue& value) {
  // Another program may change the value between the two calls; ask again
  // until the size holds.
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::uint32_t size = 0;
    RegType type = kRegNone;
    RegStatus s = QueryValueEx(key, name, &type, nullptr, &size);
    if (s != kRegOk) return s;
    std::vector<std::uint8_t> data(size);
    std::uint32_t got = size;
    s = QueryValueEx(key, name, &type, data.data(), &got);
    if (s == kRegMoreData) continue;
    if (s != kRegOk) return s;
    data.resize(got);
    value.type = type;
    value.data = std::move(data);
    return kRegOk;
  }
  return kRegMoreData;
}

RegStatus Registry::SetString(HKey key, std::string_view name, std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return SetValueEx(key, name, kRegSz, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

RegStatus Registry::SetBinary(HKey key, std::string_view name, const void* data, std::size_t size) {
  if (size > kMaxValueSize) return kRegInvalidParameter;
  return SetValueEx(key, name, kRegBinary, static_cast<const std::uint8_t*>(data),
                    static_cast<std::uint32_t>(size));
}

RegStatus ScopedKey::Close() {
  if (key_ == kNoKey) return kRegOk;
  RegStatus s = registry_->CloseKey(key_);
  key_ = kNoKey;
  return s;
}

}  // namespace platform
