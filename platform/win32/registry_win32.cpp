// The registry on Windows: every call passes straight to the system's
// registry (RegOpenKeyExA ... RegSetValueExA), with its own result codes.
//
// The system keeps its values under HKEY_LOCAL_MACHINE. An administrator
// (and Wine, where every user is one) may write there. A normal user of
// Windows NT and later may not; for that user the same key paths are used
// under HKEY_CURRENT_USER, where those systems keep a user's current
// joystick settings anyway, so each user's configuration stays that user's
// and nothing needs raised rights. The choice is made once per process:
// TANDRIX_REGISTRY_ROOT=HKLM or HKCU forces it, else HKEY_LOCAL_MACHINE is
// used when this process may create keys under it. A key path after the
// root ("HKCU\Software\Trial") puts everything under that key instead, so
// a trial or a test touches none of the joystick settings the system uses.
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dospath.h"
#include "platform/registry.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace {

bool LocalMachineWritable() {
  HKEY key = nullptr;
  LONG s = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0,
                             KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &key, nullptr);
  if (s != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

struct Root {
  HKEY key = nullptr;
  std::string name;  // "HKEY_CURRENT_USER", or with the key path below it
};

Root ChooseRoot() {
  const char* env = std::getenv("TANDRIX_REGISTRY_ROOT");
  const std::string_view text = env != nullptr ? env : "";
  const std::size_t cut = text.find('\\');
  const std::string_view base = text.substr(0, cut);
  Root root;
  if (EqualsNoCase(base, "HKCU") || EqualsNoCase(base, "HKEY_CURRENT_USER")) {
    root = {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"};
  } else if (EqualsNoCase(base, "HKLM") || EqualsNoCase(base, "HKEY_LOCAL_MACHINE")) {
    root = {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"};
  } else {
    return LocalMachineWritable() ? Root{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"}
                                  : Root{HKEY_CURRENT_USER, "HKEY_CURRENT_USER"};
  }
  if (cut == std::string_view::npos || cut + 1 == text.size()) return root;
  const std::string below(text.substr(cut + 1));
  root.name += "\\" + below;
  // A key that cannot be made gives a root every call fails on, rather
  // than the system's own values.
  const HKEY parent = root.key;
  if (::RegCreateKeyExA(parent, below.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root.key,
                        nullptr) != ERROR_SUCCESS) {
    root.key = static_cast<HKEY>(INVALID_HANDLE_VALUE);
  }
  return root;
}

class Win32Registry : public Registry {
 public:
  explicit Win32Registry(HKEY root) : root_(root) {}

  RegStatus OpenKey(HKey parent, std::string_view subKey, HKey& result) override {
    HKEY key = nullptr;
    const std::string sub(subKey);
    LONG s = ::RegOpenKeyExA(Map(parent), sub.c_str(), 0, KEY_READ | KEY_WRITE, &key);
    // A key this user may only read is still opened: reads work, writes
    // answer that access is denied.
    if (s == ERROR_ACCESS_DENIED) s = ::RegOpenKeyExA(Map(parent), sub.c_str(), 0, KEY_READ, &key);
    if (s == ERROR_SUCCESS) result = Wrap(key);
    return s;
  }

  RegStatus CreateKey(HKey parent, std::string_view subKey, HKey& result) override {
    HKEY key = nullptr;
    LONG s = ::RegCreateKeyExA(Map(parent), std::string(subKey).c_str(), 0, nullptr, 0,
                               KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (s == ERROR_SUCCESS) result = Wrap(key);
    return s;
  }

  RegStatus QueryValueEx(HKey key, std::string_view name, RegType* type, std::uint8_t* data,
                         std::uint32_t* size) override {
    DWORD t = 0;
    DWORD n = size ? *size : 0;
    LONG s = ::RegQueryValueExA(Map(key), std::string(name).c_str(), nullptr, &t, data,
                                size ? &n : nullptr);
    if (type) *type = t;
    if (size) *size = n;
    return s;
  }

  RegStatus SetValueEx(HKey key, std::string_view name, RegType type, const std::uint8_t* data,
                       std::uint32_t size) override {
    return ::RegSetValueExA(Map(key), std::string(name).c_str(), 0, type, data, size);
  }

  RegStatus EnumKey(HKey key, std::uint32_t index, std::string& name) override {
    char buf[kMaxKeyNameLength + 1];
    DWORD n = sizeof buf;
    LONG s = ::RegEnumKeyExA(Map(key), index, buf, &n, nullptr, nullptr, nullptr, nullptr);
    if (s == ERROR_SUCCESS) name.assign(buf, n);
    return s;
  }

  RegStatus EnumValue(HKey key, std::uint32_t index, std::string& name, RegValue& value) override {
    DWORD maxName = 0, maxData = 0;
    LONG s = ::RegQueryInfoKeyA(Map(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, &maxName, &maxData, nullptr, nullptr);
    if (s != ERROR_SUCCESS) return s;
    std::vector<char> nameBuf(maxName + 1);
    value.data.assign(maxData, 0);
    DWORD n = static_cast<DWORD>(nameBuf.size());
    DWORD type = 0;
    DWORD size = maxData;
    s = ::RegEnumValueA(Map(key), index, nameBuf.data(), &n, nullptr, &type,
                        value.data.empty() ? nullptr : value.data.data(), &size);
    if (s != ERROR_SUCCESS) return s;
    name.assign(nameBuf.data(), n);
    value.type = type;
    value.data.resize(size);
    return kRegOk;
  }

  RegStatus DeleteKey(HKey key, std::string_view subKey) override {
    // A key does not delete itself by "", as on every store.
    if (subKey.empty()) return kRegAccessDenied;
    // The whole subtree, as the Windows 95 generation's RegDeleteKey did.
    return ::RegDeleteTreeA(Map(key), std::string(subKey).c_str());
  }

  RegStatus DeleteValue(HKey key, std::string_view name) override {
    return ::RegDeleteValueA(Map(key), std::string(name).c_str());
  }

  RegStatus FlushKey(HKey key) override { return ::RegFlushKey(Map(key)); }

  RegStatus CloseKey(HKey key) override {
    if (key == kHKeyLocalMachine) return kRegOk;
    return ::RegCloseKey(Map(key));
  }

  // The system's registry has no transactions the original used: the
  // writes of a group are made one by one as they come, and the last
  // writer wins. A group that is abandoned keeps what it wrote.
  RegStatus BeginTransaction() override {
    std::lock_guard lock(mutex_);
    ++depth_;
    return kRegOk;
  }
  RegStatus EndTransaction(bool) override {
    std::lock_guard lock(mutex_);
    if (depth_ == 0) return kRegInvalidParameter;
    --depth_;
    return kRegOk;
  }

  HKEY root() const { return root_; }

 private:
  HKEY Map(HKey key) const {
    if (key == kHKeyLocalMachine) return root_;
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
  }
  static HKey Wrap(HKEY key) { return HKey{reinterpret_cast<std::uintptr_t>(key)}; }

  HKEY root_;
  std::mutex mutex_;
  int depth_ = 0;
};

// A scratch key standing for the root, removed with everything below it.
class ScratchRegistry final : public Win32Registry {
 public:
  ScratchRegistry(HKEY key, std::string path) : Win32Registry(key), path_(std::move(path)) {}
  ~ScratchRegistry() override {
    ::RegCloseKey(root());
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  }

 private:
  std::string path_;
};

constexpr char kScratchParent[] = "Software\\Tandrix tests";

std::mutex g_systemMutex;
std::unique_ptr<Registry> g_system;
std::optional<Root> g_root;

const Root& TheRoot() {
  if (!g_root) g_root = ChooseRoot();
  return *g_root;
}

}  // namespace

// The store is named by the root key its values live under.
std::string DefaultRegistryPath() {
  std::lock_guard lock(g_systemMutex);
  return TheRoot().name;
}

std::string UserRegistryPath() { return "HKEY_CURRENT_USER"; }

// A product folder on Windows records no store: there is one registry.
std::string RecordedRegistryPath(const std::string&) { return {}; }

Registry& SystemRegistry() {
  std::lock_guard lock(g_systemMutex);
  if (!g_system) g_system = std::make_unique<Win32Registry>(TheRoot().key);
  return *g_system;
}

// Writers of the system's registry never wait for one another.
void SetSystemRegistryBusyTimeout(int) {}

std::string SystemRegistryError() { return {}; }

// The system's registry is no file that could be replaced under a program.
std::string TakeSystemRegistryChange() { return {}; }

std::unique_ptr<Registry> SetSystemRegistry(std::unique_ptr<Registry> registry) {
  std::lock_guard lock(g_systemMutex);
  std::unique_ptr<Registry> old = std::move(g_system);
  g_system = std::move(registry);
  return old;
}

namespace testing {

std::unique_ptr<Registry> NewScratchRegistry() {
  static std::atomic<unsigned> counter{0};
  const std::string path = std::string(kScratchParent) + "\\" +
                           std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(counter.fetch_add(1));
  ::RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<ScratchRegistry>(key, path);
}

}  // namespace testing

}  // namespace platform
