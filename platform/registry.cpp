#include "platform/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/dospath.h"
#include "platform/profile.h"
#include "platform/registry_detail.h"
#include "platform/unique_fd.h"

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

namespace {

std::atomic<int> g_busyTimeoutMs{kRegBusyTimeoutMs};

// The system's store at its path. While it cannot be opened, or after it
// answered that it is damaged, read-only or unreachable, the next call
// opens it again, so the programs work again as soon as the store does,
// without a restart. The open store is only replaced between operations:
// when none of its key handles is open and no transaction is.
class ReopeningRegistry final : public Registry {
 public:
  explicit ReopeningRegistry(std::string path) : path_(std::move(path)) { Reopen(); }
  // The store goes before head_: closing that descriptor first would drop
  // the store's locks on the file while it still uses them.
  ~ReopeningRegistry() override { store_.reset(); }

  RegStatus OpenKey(HKey parent, std::string_view subKey, HKey& result) override {
    return Call([&](Registry& r) { return Opened(r.OpenKey(parent, subKey, result), result); });
  }
  RegStatus CreateKey(HKey parent, std::string_view subKey, HKey& result) override {
    return Call([&](Registry& r) { return Opened(r.CreateKey(parent, subKey, result), result); });
  }
  RegStatus QueryValueEx(HKey key, std::string_view name, RegType* type, std::uint8_t* data,
                         std::uint32_t* size) override {
    return Call([&](Registry& r) { return r.QueryValueEx(key, name, type, data, size); });
  }
  RegStatus SetValueEx(HKey key, std::string_view name, RegType type, const std::uint8_t* data,
                       std::uint32_t size) override {
    return Call([&](Registry& r) { return r.SetValueEx(key, name, type, data, size); });
  }
  RegStatus EnumKey(HKey key, std::uint32_t index, std::string& name) override {
    return Call([&](Registry& r) { return r.EnumKey(key, index, name); });
  }
  RegStatus EnumValue(HKey key, std::uint32_t index, std::string& name, RegValue& value) override {
    return Call([&](Registry& r) { return r.EnumValue(key, index, name, value); });
  }
  RegStatus DeleteKey(HKey key, std::string_view subKey) override {
    return Call([&](Registry& r) { return r.DeleteKey(key, subKey); });
  }
  RegStatus DeleteValue(HKey key, std::string_view name) override {
    return Call([&](Registry& r) { return r.DeleteValue(key, name); });
  }
  RegStatus FlushKey(HKey key) override {
    return Call([&](Registry& r) { return r.FlushKey(key); });
  }
  RegStatus CloseKey(HKey key) override {
    std::lock_guard lock(mutex_);
    if (key == kHKeyLocalMachine) return kRegOk;
    if (!store_) return kRegInvalidHandle;
    RegStatus s = store_->CloseKey(key);
    if (s == kRegOk && openKeys_ > 0) --openKeys_;
    return s;
  }
  RegStatus BeginTransaction() override {
    return Call([&](Registry& r) {
      RegStatus s = r.BeginTransaction();
      if (s == kRegOk) ++depth_;
      return s;
    });
  }
  RegStatus EndTransaction(bool commit) override {
    std::lock_guard lock(mutex_);
    if (!store_ || depth_ == 0) return kRegInvalidParameter;
    --depth_;
    return Note(store_->EndTransaction(commit));
  }
  RegStatus BeginSnapshot() override {
    // Counted as a group: the store is not replaced under it.
    return Call([&](Registry& r) {
      RegStatus s = r.BeginSnapshot();
      if (s == kRegOk) ++depth_;
      return s;
    });
  }
  void EndSnapshot() override {
    std::lock_guard lock(mutex_);
    if (!store_ || depth_ == 0) return;
    --depth_;
    store_->EndSnapshot();
  }

  // Why the store cannot be opened; empty once it is open.
  std::string Error() {
    std::lock_guard lock(mutex_);
    return error_;
  }

  // Looks at the file now and hands over what was noticed since the last
  // call, once.
  std::string TakeChange() {
    std::lock_guard lock(mutex_);
    if (openKeys_ == 0 && depth_ == 0) LetGoOfMovedFile();
    return std::exchange(change_, std::string());
  }

 private:
  template <typename Op>
  RegStatus Call(Op op) {
    std::lock_guard lock(mutex_);
    if (openKeys_ == 0 && depth_ == 0) {
      if (stale_) {
        store_.reset();
        head_.reset();
        stale_ = false;
      }
      LetGoOfMovedFile();
    }
    if (!store_ && !Reopen()) return status_;
    return Note(op(*store_));
  }

  bool Reopen() {
    error_.clear();
    store_ = OpenSqliteRegistry(path_, &error_, &status_, g_busyTimeoutMs);
    if (store_) {
      struct stat st;
      if (::stat(path_.c_str(), &st) == 0) file_ = st;
      head_.reset(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
      return true;
    }
    error_ = "cannot open the registry store " + path_ + ": " + error_;
    return false;
  }

  // The path may have come to name another file while the store was open:
  // deleted, replaced by another store, or overwritten with something that
  // is none. Writing on into the old file would go where no program looks
  // (or mix two stores), so the store lets go of it and the next call opens
  // whatever the path names now. Only between operations.
  void LetGoOfMovedFile() {
    if (!store_) return;
    struct stat st;
    const bool present = ::stat(path_.c_str(), &st) == 0;
    const char* what = nullptr;
    bool writeBack = true;
    if (!present) {
      what = "was deleted";
    } else if (st.st_dev != file_.st_dev || st.st_ino != file_.st_ino) {
      what = "was replaced by another file";
    } else if (st.st_size != file_.st_size || st.st_mtim.tv_sec != file_.st_mtim.tv_sec ||
               st.st_mtim.tv_nsec != file_.st_mtim.tv_nsec) {
      file_ = st;
      if (!head_ || regdetail::LooksLikeSqliteStore(head_.get())) return;  // our own writes
      what = "was overwritten with something that is not a registry store";
      writeBack = false;
    } else {
      return;
    }
    regdetail::ReleaseMovedSqliteStore(*store_, writeBack);
    store_.reset();
    head_.reset();  // only now: the store's locks on the file are gone with it
    stale_ = false;
    change_ = "the registry store " + path_ + " " + what + " while in use; opened again";
  }

  RegStatus Opened(RegStatus s, HKey key) {
    if (s == kRegOk && key != kHKeyLocalMachine) ++openKeys_;
    return s;
  }

  // A store that is damaged, read-only or unreachable is opened afresh
  // once nothing of it is in use: the file may have been mended,
  // replaced or made writable meanwhile.
  RegStatus Note(RegStatus s) {
    if (s == kRegBadDb || s == kRegWriteProtect || s == kRegIoFailed) stale_ = true;
    return s;
  }

  std::mutex mutex_;
  std::string path_;
  std::unique_ptr<Registry> store_;
  std::string error_;
  RegStatus status_ = kRegBadDb;  // what calls answer while the store cannot be opened
  int openKeys_ = 0;
  int depth_ = 0;
  bool stale_ = false;
  struct stat file_ {};  // the file the open store was opened from
  UniqueFd head_;        // that file, for a look at its first bytes
  std::string change_;   // what LetGoOfMovedFile noticed, until taken
};

std::mutex g_systemMutex;
std::unique_ptr<Registry> g_system;
ReopeningRegistry* g_default = nullptr;  // g_system when it is the default store

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
    auto store = std::make_unique<ReopeningRegistry>(DefaultRegistryPath());
    g_default = store.get();
    g_system = std::move(store);
  }
  return *g_system;
}

void SetSystemRegistryBusyTimeout(int ms) { g_busyTimeoutMs = ms; }

std::string TakeSystemRegistryChange() {
  std::lock_guard lock(g_systemMutex);
  return g_default != nullptr ? g_default->TakeChange() : std::string();
}

std::string SystemRegistryError() {
  std::lock_guard lock(g_systemMutex);
  return g_default != nullptr ? g_default->Error() : std::string();
}

std::unique_ptr<Registry> SetSystemRegistry(std::unique_ptr<Registry> registry) {
  std::lock_guard lock(g_systemMutex);
  std::unique_ptr<Registry> old = std::move(g_system);
  g_system = std::move(registry);
  g_default = nullptr;
  return old;
}

}  // namespace platform
