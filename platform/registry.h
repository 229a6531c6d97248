// The system registry: keys, typed values, HKEY_LOCAL_MACHINE only.
//
// The calls mirror the original platform's RegOpenKey, RegCreateKey,
// RegQueryValueEx, RegSetValueEx, RegEnumKey, RegEnumValue, RegDeleteKey,
// RegDeleteValue, RegFlushKey and RegCloseKey, with the same result codes,
// so a Win32 build can pass every call straight through.
//
// Key paths separate their components with backslashes. Key and value names
// compare without regard to case and keep the case they were created with.
// Values are stored byte for byte with their type; a string value holds
// whatever bytes its writer gave, normally the text and its terminating zero.
//
// Two stores implement it: an SQLite database on disk (the real one, shared
// by every program of the system; each write is one transaction, so a
// reader or a killed writer never sees half a value) and an in-memory store
// for tests. Writes that belong together (the values of one configuration)
// go in one transaction (RegTransaction), so other programs see all of them
// or none. System code reaches the store through SystemRegistry().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A key handle. The predefined root has the original platform's value.
enum class HKey : std::uintptr_t {};
inline constexpr HKey kHKeyLocalMachine{0x80000002u};
inline constexpr HKey kNoKey{0};

// Result codes (the original platform's error numbers).
using RegStatus = long;
inline constexpr RegStatus kRegOk = 0;
inline constexpr RegStatus kRegFileNotFound = 2;      // no such key or value
inline constexpr RegStatus kRegAccessDenied = 5;      // e.g. deleting the root
inline constexpr RegStatus kRegInvalidHandle = 6;
inline constexpr RegStatus kRegWriteProtect = 19;     // the store is read-only
inline constexpr RegStatus kRegLockViolation = 33;    // another program holds the store locked
inline constexpr RegStatus kRegInvalidParameter = 87; // bad name or size
inline constexpr RegStatus kRegDiskFull = 112;        // no room left for the store
inline constexpr RegStatus kRegMoreData = 234;        // buffer too small
inline constexpr RegStatus kRegNoMoreItems = 259;     // enumeration ended
inline constexpr RegStatus kRegBadDb = 1009;          // the store cannot be used
inline constexpr RegStatus kRegIoFailed = 1016;       // a write did not reach the store
inline constexpr RegStatus kRegKeyDeleted = 1018;     // the key went away while open
inline constexpr RegStatus kRegCancelled = 1223;      // the transaction was abandoned

// The words for a result code, such as "the key or value does not exist".
std::string RegStatusText(RegStatus status);
// "error 2 (the key or value does not exist)"
std::string RegErrorText(RegStatus status);

// Value types (the original platform's numbers).
using RegType = std::uint32_t;
inline constexpr RegType kRegNone = 0;
inline constexpr RegType kRegSz = 1;
inline constexpr RegType kRegExpandSz = 2;
inline constexpr RegType kRegBinary = 3;
inline constexpr RegType kRegDword = 4;

// Limits of the original platform.
inline constexpr std::size_t kMaxKeyNameLength = 255;     // one path component
inline constexpr std::size_t kMaxValueNameLength = 16383;
inline constexpr std::uint32_t kMaxValueSize = 1u << 20;

struct RegValue {
  RegType type = kRegNone;
  std::vector<std::uint8_t> data;
};

class Registry {
 public:
  virtual ~Registry() = default;

  // Opens an existing key below parent ("" opens parent again).
  virtual RegStatus OpenKey(HKey parent, std::string_view subKey, HKey& result) = 0;
  // Opens a key, creating it and every missing level above it.
  virtual RegStatus CreateKey(HKey parent, std::string_view subKey, HKey& result) = 0;
  // As RegQueryValueEx: size holds the buffer size on entry and the value's
  // size on return. data may be null to ask for the size only. When the
  // buffer is too small the result is kRegMoreData and data is untouched.
  // type may be null.
  virtual RegStatus QueryValueEx(HKey key, std::string_view name, RegType* type,
                                 std::uint8_t* data, std::uint32_t* size) = 0;
  // Replaces (or adds) a value with exactly size bytes.
  virtual RegStatus SetValueEx(HKey key, std::string_view name, RegType type,
                               const std::uint8_t* data, std::uint32_t size) = 0;
  // The name of the index-th subkey, in order of name without regard to
  // case; kRegNoMoreItems past the last one.
  virtual RegStatus EnumKey(HKey key, std::uint32_t index, std::string& name) = 0;
  // The index-th value of a key (same order), with its type and bytes.
  virtual RegStatus EnumValue(HKey key, std::uint32_t index, std::string& name,
                              RegValue& value) = 0;
  // Deletes a subkey with everything below it, as the original platform's
  // Windows 95 generation did. The root cannot be deleted.
  virtual RegStatus DeleteKey(HKey key, std::string_view subKey) = 0;
  virtual RegStatus DeleteValue(HKey key, std::string_view name) = 0;
  // Makes every write so far durable on disk.
  virtual RegStatus FlushKey(HKey key) = 0;
  // Closing the predefined root is allowed and does nothing.
  virtual RegStatus CloseKey(HKey key) = 0;

  // Groups the calls up to the matching EndTransaction into one whole:
  // other programs see every write of the group at once or none of it, and
  // keep reading the values as they were until then. Writers of other
  // programs wait for the group to end. Groups nest; only the outermost
  // one ends the whole. A write that fails inside a group undoes the whole
  // group at once, and every later write of it fails with the same status,
  // so nothing half done is ever kept. A group belongs to the store object,
  // not to a thread.
  virtual RegStatus BeginTransaction() = 0;
  // Ends the innermost group. commit false undoes the whole outermost group
  // (also from an inner one). The outermost end says whether the group
  // reached the store: kRegOk, or why not.
  virtual RegStatus EndTransaction(bool commit) = 0;

  // Reads up to the matching EndSnapshot see the store at one moment and
  // share one read lock instead of taking one each, which makes a long walk
  // (an export) many times cheaper. Writers of other programs are not held
  // up; this program writes nothing meanwhile. Stores without locks need
  // nothing here.
  virtual RegStatus BeginSnapshot() { return kRegOk; }
  virtual void EndSnapshot() {}

  // --- helpers over the calls above -----------------------------------------
  // The whole value, whatever its size.
  RegStatus QueryValue(HKey key, std::string_view name, RegValue& value);
  // A string value: the text followed by its terminating zero.
  RegStatus SetString(HKey key, std::string_view name, std::string_view text);
  RegStatus SetBinary(HKey key, std::string_view name, const void* data, std::size_t size);
};

// Closes its key when it goes out of scope.
class ScopedKey {
 public:
  explicit ScopedKey(Registry& registry) : registry_(&registry) {}
  ~ScopedKey() { Close(); }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  HKey& handle() { return key_; }
  HKey get() const { return key_; }
  bool IsOpen() const { return key_ != kNoKey; }
  // The result of RegCloseKey; kRegOk when nothing was open.
  RegStatus Close();

 private:
  Registry* registry_;
  HKey key_ = kNoKey;
};

// A transaction for the length of a scope: undone unless Commit() is
// called.
class RegTransaction {
 public:
  explicit RegTransaction(Registry& registry)
      : registry_(registry), status_(registry.BeginTransaction()), open_(status_ == kRegOk) {}
  ~RegTransaction() {
    if (open_) registry_.EndTransaction(false);
  }
  RegTransaction(const RegTransaction&) = delete;
  RegTransaction& operator=(const RegTransaction&) = delete;

  // kRegOk when the transaction could begin (the store may be locked).
  RegStatus status() const { return status_; }
  RegStatus Commit() {
    if (!open_) return status_;
    open_ = false;
    return registry_.EndTransaction(true);
  }

 private:
  Registry& registry_;
  RegStatus status_;
  bool open_;
};

// A snapshot for the length of a scope.
class RegSnapshot {
 public:
  explicit RegSnapshot(Registry& registry) : registry_(registry), open_(registry.BeginSnapshot() == kRegOk) {}
  ~RegSnapshot() {
    if (open_) registry_.EndSnapshot();
  }
  RegSnapshot(const RegSnapshot&) = delete;
  RegSnapshot& operator=(const RegSnapshot&) = delete;

 private:
  Registry& registry_;
  bool open_;
};

// --- the stores ---------------------------------------------------------------

// A fresh, empty store held in memory.
std::unique_ptr<Registry> NewMemoryRegistry();

// How long a write waits for another program's write to end before it
// fails with kRegLockViolation.
inline constexpr int kRegBusyTimeoutMs = 15000;
// The wait of the programs someone is watching (the monitor's tick, the
// customizer's buttons): a store locked for longer is reported, not waited
// out.
inline constexpr int kRegShortWaitMs = 2000;

// The SQLite store at a host path, created (with its missing folders, which
// only the owner may enter, and a file only the owner may read) when
// missing. A store the process may not write is opened for reading: its
// writes fail with kRegWriteProtect. Null, with a reason in error and the
// matching result code in status, when the file cannot be opened or is not
// a registry store; such a file is left exactly as it was.
std::unique_ptr<Registry> OpenSqliteRegistry(const std::string& hostPath, std::string* error,
                                             RegStatus* status = nullptr,
                                             int busyTimeoutMs = kRegBusyTimeoutMs);

// Where the system's store lives: TANDRIX_REGISTRY (a host or DOS path),
// else the store recorded by the product folder in the current directory,
// else UserRegistryPath().
std::string DefaultRegistryPath();
// The user's own store: $XDG_CONFIG_HOME/tandrix/registry.db, else
// ~/.config/tandrix/registry.db.
std::string UserRegistryPath();
// The store a product folder (a host path) records as its own: "Store" of
// section "Registry" in its Tandmon.ini, written when the folder is
// installed. Empty when it records none.
inline constexpr const char kStoreSection[] = "Registry";
inline constexpr const char kStoreKey[] = "Store";
inline constexpr std::size_t kMaxStorePath = 4096;
std::string RecordedRegistryPath(const std::string& productFolder);

// The store that system code uses: the SQLite store at
// DefaultRegistryPath(). While it cannot be opened every call fails (with
// kRegBadDb, or kRegAccessDenied when it may not be made) and
// SystemRegistryError() says why; each call tries again, and a store that
// answered it is damaged, read-only or unreachable is opened afresh once no
// key of it is open, so a store that comes back is used at once.
Registry& SystemRegistry();
// How long writes of the system store wait for another program's write
// (kRegBusyTimeoutMs unless set); for a store opened after the call.
void SetSystemRegistryBusyTimeout(int ms);

// The system store notices, between operations, when its path has come to
// name another file than the one it holds open (the store was deleted,
// replaced, or overwritten with something that is no store), lets go of
// the old file and opens what the path names at the next call. This looks
// at the file now and says what happened since the last call ("the
// registry store ... was replaced by another file while in use; opened
// again"), once; empty when nothing did.
std::string TakeSystemRegistryChange();

// Why the system store cannot be opened right now; empty when it can (or
// when another store was installed).
std::string SystemRegistryError();

// Replaces the system store (tests install a memory store or a temporary
// file; tools open the one they are told). Null goes back to the default,
// opened again on next use. Returns the store it replaced, if one was open.
std::unique_ptr<Registry> SetSystemRegistry(std::unique_ptr<Registry> registry);

// Installs a system store for the length of a scope and puts back the one it
// replaced, also when an assertion or an early return ends the scope.
class ScopedSystemRegistry {
 public:
  explicit ScopedSystemRegistry(std::unique_ptr<Registry> registry)
      : previous_(SetSystemRegistry(std::move(registry))) {}
  ~ScopedSystemRegistry() { SetSystemRegistry(std::move(previous_)); }
  ScopedSystemRegistry(const ScopedSystemRegistry&) = delete;
  ScopedSystemRegistry& operator=(const ScopedSystemRegistry&) = delete;

 private:
  std::unique_ptr<Registry> previous_;
};

namespace testing {
// A fresh, empty store of the host's own kind for a test, apart from the
// system's values: the memory store on Linux; on Windows a new key of the
// system's registry (under HKEY_CURRENT_USER\Software\Tandrix tests)
// standing for HKEY_LOCAL_MACHINE, deleted with the store.
std::unique_ptr<Registry> NewScratchRegistry();
}  // namespace testing

}  // namespace platform
