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

namespace testing {
std::unique_ptr<Registry> NewScratchRegistry() { return NewMemoryRegistry(); }
}  // namespace testing

}  // namespace platform
