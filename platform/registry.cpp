#include "platform/registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/dospath.h"
#include "platform/profile.h"
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

namespace {

// Stands in for a store that could not be opened: every call fails the way
// the original platform reports a damaged registry.
class UnavailableRegistry final : public Registry {
 public:
  RegStatus OpenKey(HKey, std::string_view, HKey&) override { return kRegBadDb; }
  RegStatus CreateKey(HKey, std::string_view, HKey&) override { return kRegBadDb; }
  RegStatus QueryValueEx(HKey, std::string_view, RegType*, std::uint8_t*, std::uint32_t*) override {
    return kRegBadDb;
  }
  RegStatus SetValueEx(HKey, std::string_view, RegType, const std::uint8_t*, std::uint32_t) override {
    return kRegBadDb;
  }
  RegStatus EnumKey(HKey, std::uint32_t, std::string&) override { return kRegBadDb; }
  RegStatus EnumValue(HKey, std::uint32_t, std::string&, RegValue&) override { return kRegBadDb; }
  RegStatus DeleteKey(HKey, std::string_view) override { return kRegBadDb; }
  RegStatus DeleteValue(HKey, std::string_view) override { return kRegBadDb; }
  RegStatus FlushKey(HKey) override { return kRegBadDb; }
  RegStatus CloseKey(HKey) override { return kRegOk; }
};

std::mutex g_systemMutex;
std::unique_ptr<Registry> g_system;
std::string g_systemError;

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  if (passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) return pw->pw_dir;
  return "/";
}

}  // namespace

std::string RecordedRegistryPath(const std::string& productFolder) {
  const std::string ini = productFolder + "/Tandmon.ini";
  const std::string recorded =
      GetPrivateProfileString(kStoreSection, kStoreKey, "", kMaxStorePath, ini);
  if (recorded.empty()) return {};
  if (auto host = ToHostPath(recorded)) return *host;
  return recorded;
}

std::string DefaultRegistryPath() {
  if (const char* env = std::getenv("TANDRIX_REGISTRY"); env != nullptr && env[0] != '\0') {
    if (auto host = ToHostPath(env)) return *host;
    return env;
  }
  // The product folder a program runs in keeps the store it was installed
  // with, so a new shell or a desktop session finds the same one.
  if (std::string recorded = RecordedRegistryPath("."); !recorded.empty()) return recorded;
  return UserRegistryPath();
}

std::string UserRegistryPath() {
  // A relative XDG_CONFIG_HOME is invalid and ignored, as the convention asks.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    return std::string(xdg) + "/tandrix/registry.db";
  }
  std::string home = HomeDirectory();
  if (home.size() > 1 && home.back() == '/') home.pop_back();
  return (home == "/" ? "" : home) + "/.config/tandrix/registry.db";
}

Registry& SystemRegistry() {
  std::lock_guard lock(g_systemMutex);
  if (!g_system) {
    std::string path = DefaultRegistryPath();
    std::string error;
    g_system = OpenSqliteRegistry(path, &error);
    if (g_system) {
      g_systemError.clear();
    } else {
      g_systemError = "cannot open the registry store " + path + ": " + error;
      g_system = std::make_unique<UnavailableRegistry>();
    }
  }
  return *g_system;
}

std::string SystemRegistryError() {
  std::lock_guard lock(g_systemMutex);
  return g_systemError;
}

std::unique_ptr<Registry> SetSystemRegistry(std::unique_ptr<Registry> registry) {
  std::lock_guard lock(g_systemMutex);
  std::unique_ptr<Registry> old = std::move(g_system);
  g_system = std::move(registry);
  g_systemError.clear();
  return old;
}

}  // namespace platform
