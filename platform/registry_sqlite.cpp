// The registry store on disk: one SQLite database shared by every program of
// the system.
//
// Every write is its own transaction in WAL mode, unless the caller groups
// writes in one (BeginTransaction), so the monitor and the customizer can
// write at the same time: the last writer wins, a reader never sees half a
// value or half a group, and a process killed in the middle of a write
// leaves the old values whole. Writers wait for each other (busy timeout)
// instead of failing; readers never wait.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/registry.h"
#include "platform/registry_detail.h"

namespace platform {
namespace {

using regdetail::Fold;
using regdetail::KeyId;
using regdetail::kRootId;

// Marks a database as a registry store ("TDXR"), so a file of another kind
// is never taken over.
constexpr int kApplicationId = 0x54445852;

const char* const kSchema =
    "CREATE TABLE reg_keys("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  parent INTEGER NOT NULL,"
    "  name TEXT NOT NULL,"
    "  lname TEXT NOT NULL,"
    "  UNIQUE(parent, lname));"
    "CREATE TABLE reg_values("
    "  key INTEGER NOT NULL,"
    "  name TEXT NOT NULL,"
    "  lname TEXT NOT NULL,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key, lname)) WITHOUT ROWID;"
    "INSERT INTO reg_keys(id, parent, name, lname)"
    "  VALUES(1, 0, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine');";

// SQLite reports a write the disk had no room for as an I/O error unless
// the write itself came up short; the system's own error tells them apart.
bool DiskFull(sqlite3* db, int rc) {
  if ((rc & 0xff) == SQLITE_FULL) return true;
  if ((rc & 0xff) != SQLITE_IOERR || db == nullptr) return false;
  const int e = sqlite3_system_errno(db);
  return e == ENOSPC || e == EDQUOT;
}

RegStatus MapError(int rc, sqlite3* db = nullptr) {
  if (DiskFull(db, rc)) return kRegDiskFull;
  switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
      return kRegOk;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return kRegBadDb;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return kRegLockViolation;
    case SQLITE_READONLY:
      return kRegWriteProtect;
    case SQLITE_FULL:
      return kRegDiskFull;
    default:
      return kRegIoFailed;
  }
}

// A prepared statement, reset and cleared after every use.
class Stmt {
 public:
  Stmt() = default;
  ~Stmt() { sqlite3_finalize(stmt_); }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  bool Prepare(sqlite3* db, const char* sql) {
    return sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) == SQLITE_OK;
  }
  sqlite3_stmt* get() { return stmt_; }
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  void Bind(int i, std::int64_t v) { sqlite3_bind_int64(stmt_, i, v); }
  void Bind(int i, std::string_view s) {
    sqlite3_bind_text(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  }
  void BindBlob(int i, const std::uint8_t* data, std::uint32_t size) {
    static const std::uint8_t kEmpty = 0;
    sqlite3_bind_blob(stmt_, i, size ? data : &kEmpty, static_cast<int>(size), SQLITE_TRANSIENT);
  }
  int Step() { return sqlite3_step(stmt_); }
  std::int64_t Int(int col) { return sqlite3_column_int64(stmt_, col); }
  std::string Text(int col) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col))) : "";
  }
  std::vector<std::uint8_t> Blob(int col) {
    const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, col));
    int n = sqlite3_column_bytes(stmt_, col);
    return p ? std::vector<std::uint8_t>(p, p + n) : std::vector<std::uint8_t>();
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Resets a statement on every way out of a call.
struct Use {
  explicit Use(Stmt& s) : stmt(s) {}
  ~Use() { stmt.Reset(); }
  Stmt& stmt;
};

class SqliteRegistry final : public Registry {
 public:
  SqliteRegistry(sqlite3* db, bool readOnly) : db_(db), readOnly_(readOnly) {}
  // The statements are finalized after this body runs; close_v2 lets the
  // connection go once the last of them is gone.
  ~SqliteRegistry() override { sqlite3_close_v2(db_); }

  // See regdetail::ReleaseMovedSqliteStore.
  void ReleaseMoved(bool writeBack) {
    if (writeBack) {
      sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    } else {
      sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
  }

  bool PrepareAll() {
    return findChild_.Prepare(db_, "SELECT id FROM reg_keys WHERE parent=?1 AND lname=?2") &&
           insertKey_.Prepare(db_, "INSERT INTO reg_keys(parent, name, lname) VALUES(?1, ?2, ?3)") &&
           keyExists_.Prepare(db_, "SELECT parent, name FROM reg_keys WHERE id=?1") &&
           getValue_.Prepare(db_, "SELECT type, data FROM reg_values WHERE key=?1 AND lname=?2") &&
           setValue_.Prepare(db_,
                             "INSERT INTO reg_values(key, name, lname, type, data)"
                             " VALUES(?1, ?2, ?3, ?4, ?5)"
                             " ON CONFLICT(key, lname) DO UPDATE SET"
                             " type=excluded.type, data=excluded.data") &&
           enumKey_.Prepare(db_,
                            "SELECT name FROM reg_keys WHERE parent=?1 AND id<>?1"
                            " ORDER BY lname LIMIT 1 OFFSET ?2") &&
           enumValue_.Prepare(db_,
                              "SELECT name, type, data FROM reg_values WHERE key=?1"
                              " ORDER BY lname LIMIT 1 OFFSET ?2") &&
           enumKeyAfter_.Prepare(db_,
                                 "SELECT name FROM reg_keys WHERE parent=?1 AND id<>?1 AND lname>?2"
                                 " ORDER BY lname LIMIT 1") &&
           enumValueAfter_.Prepare(db_,
                                   "SELECT name, type, data FROM reg_values WHERE key=?1 AND lname>?2"
                                   " ORDER BY lname LIMIT 1") &&
           deleteValue_.Prepare(db_, "DELETE FROM reg_values WHERE key=?1 AND lname=?2") &&
           deleteTreeValues_.Prepare(
               db_,
               "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL"
               " SELECT k.id FROM reg_keys k JOIN sub ON k.parent=sub.id)"
               " DELETE FROM reg_values WHERE key IN (SELECT id FROM sub)") &&
           deleteTreeKeys_.Prepare(
               db_,
               "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL"
               " SELECT k.id FROM reg_keys k JOIN sub ON k.parent=sub.id)"
               " DELETE FROM reg_keys WHERE id IN (SELECT id FROM sub)") &&
           begin_.Prepare(db_, "BEGIN IMMEDIATE") && commit_.Prepare(db_, "COMMIT") &&
           rollback_.Prepare(db_, "ROLLBACK");
  }

  RegStatus OpenKey(HKey parent, std::string_view subKey, HKey& result) override {
    std::lock_guard lock(mutex_);
    KeyId id = 0;
    if (!handles_.Find(parent, id)) return kRegInvalidHandle;
    std::vector<std::string> comps;
    if (!regdetail::SplitKeyPath(subKey, comps)) return kRegInvalidParameter;
    if (comps.empty()) {
      if (RegStatus s = CheckKey(id); s != kRegOk) return s;
    }
    for (const auto& c : comps) {
      KeyId child = 0;
      RegStatus s = FindChild(id, c, child);
      if (s == kRegFileNotFound && id != kRootId && CheckKey(id) == kRegKeyDeleted) {
        return kRegKeyDeleted;
      }
      if (s != kRegOk) return s;
      id = child;
    }
    result = handles_.Add(id);
    return kRegOk;
  }

  RegStatus CreateKey(HKey parent, std::string_view subKey, HKey& result) override {
    std::lock_guard lock(mutex_);
    KeyId id = 0;
    if (!handles_.Find(parent, id)) return kRegInvalidHandle;
    std::vector<std::string> comps;
    if (!regdetail::SplitKeyPath(subKey, comps)) return kRegInvalidParameter;

    // Most calls find every level already there; only a missing level
    // needs a write transaction.
    KeyId found = id;
    bool all = CheckKey(id) == kRegOk;
    for (std::size_t i = 0; all && i < comps.size(); ++i) {
      KeyId child = 0;
      if (FindChild(found, comps[i], child) != kRegOk) {
        all = false;
        break;
      }
      found = child;
    }
    if (all) {
      result = handles_.Add(found);
      return kRegOk;
    }

    if (RegStatus s = Begin(); s != kRegOk) return s;
    RegStatus s = CheckKey(id);
    for (std::size_t i = 0; s == kRegOk && i < comps.size(); ++i) {
      KeyId child = 0;
      s = FindChild(id, comps[i], child);
      if (s == kRegFileNotFound) {
        Use u(insertKey_);
        insertKey_.Bind(1, id);
        insertKey_.Bind(2, comps[i]);
        insertKey_.Bind(3, Fold(comps[i]));
        int rc = insertKey_.Step();
        s = rc == SQLITE_DONE ? kRegOk : MapError(rc, db_);
        child = sqlite3_last_insert_rowid(db_);
      }
      id = child;
    }
    if (RegStatus done = Finish(s); done != kRegOk) return done;
    result = handles_.Add(id);
    return kRegOk;
  }

  RegStatus QueryValueEx(HKey key, std::string_view name, RegType* type, std::uint8_t* data,
                         std::uint32_t* size) override {
    std::lock_guard lock(mutex_);
    KeyId id = 0;
    if (!handles_.Find(key, id)) return kRegInvalidHandle;
    if (data != nullptr && size == nullptr) return kRegInvalidParameter;
    Use u(getValue_);
    getValue_.Bind(1, id);
    getValue_.Bind(2, Fold(name));
    int rc = getValue_.Step();
    if (rc == SQLITE_DONE) return Missing(id, kRegFileNotFound);
    if (rc != SQLITE_ROW) return MapError(rc, db_);
    auto actual = static_cast<std::uint32_t>(sqlite3_column_bytes(getValue_.get(), 1));
    const void* blob = sqlite3_column_blob(getValue_.get(), 1);
    return regdetail::CopyValueOut(static_cast<RegType>(getValue_.Int(0)), blob, actual, type, data,
                                   size);
  }

  RegStatus SetValueEx(HKey key, std::string_view name, RegType type, const std::uint8_t* data,
                       std::uint32_t size) override {
    std::lock_guard lock(mutex_);
    KeyId id = 0;
    if (!handles_.Find(key, id)) return kRegInvalidHandle;
    if (!regdetail::ValidValueArgs(name, data, size)) return kRegInvalidParameter;
    if (RegStatus s = Begin(); s != kRegOk) return s;
    RegStatus s = CheckKey(id);
    if (s == kRegOk) {
      Use u(setValue_);
      setValue_.Bind(1, id);
      setValue_.Bind(2, name);
      setValue_.Bind(3, Fold(name));
      setValue_.Bind(4, static_cast<std::int64_t>(type));
      setValue_.BindBlob(5, data, size);
      int rc = setValue_.Step();
      s = rc == SQLITE_DONE ? kRegOk : MapError(rc, db_);
    }
    return Finish(s);
  }

  RegStatus EnumKey(HKey key, std::uint32_t index, std::string& name) override {
    std::lock_guard lock(mutex_);
    KeyId id = 0;
    if (!handles_.Find(key, id)) return kRegInvalidHandle;
    Stmt& q = Enumerate(keyCursors_, key, index, enumKey_, enumKeyAfter_, id);
    Use u(q);
    int rc = q.Step();
    if (rc == SQLITE_ROW) {
      name = q.Text(0);
      keyCursors_[key] = {index, Fold(name)};
      return kRegOk;
    }
    keyCursors_.erase(key);
    if (rc != SQLITE_DONE) return MapError(rc, db_);
    return Missing(id, kRegNoMoreItems);
  }

  RegStatus EnumValue(HKey key, std::uint32_t index, std::string& name, RegValue& value) override {
    std::lock_guard lock(mutex_);
    KeyId id = 0;
    if (!handles_.Find(key, id)) return kRegInvalidHandle;
    Stmt& q = Enumerate(valueCursors_, key, index, enumValue_, enumValueAfter_, id);
    Use u(q);
    int rc = q.Step();
    if (rc == SQLITE_ROW) {
      name = q.Text(0);
      value.type = static_cast<RegType>(q.Int(1));
      value.data = q.Blob(2);
      valueCursors_[key] = {index, Fold(name)};
      return kRegOk;
    }
    valueCursors_.erase(key);
    if (rc != SQLITE_DONE) return MapError(rc, db_);
    return Missing(id, kRegNoMoreItems);
  }

  RegStatus DeleteKey(HKey key, std::string_view subKey) override {
    std::lock_guard lock(mutex_);
    KeyId id = 0;
    if (!handles_.Find(key, id)) return kRegInvalidHandle;
    std::vector<std::string> comps;
    if (!regdetail::SplitKeyPath(subKey, comps)) return kRegInvalidParameter;
    if (comps.empty()) return kRegAccessDenied;
    if (RegStatus s = Begin(); s != kRegOk) return s;
    RegStatus s = CheckKey(id);
    for (std::size_t i = 0; s == kRegOk && i < comps.size(); ++i) {
      KeyId child = 0;
      s = FindChild(id, comps[i], child);
      id = child;
    }
    for (Stmt* st : {&deleteTreeValues_, &deleteTreeKeys_}) {
      if (s != kRegOk) break;
      Use u(*st);
      st->Bind(1, id);
      int rc = st->Step();
      s = rc == SQLITE_DONE ? kRegOk : MapError(rc, db_);
    }
    return Finish(s);
  }

  RegStatus DeleteValue(HKey key, std::string_view name) override {
    std::lock_guard lock(mutex_);
    KeyId id = 0;
    if (!handles_.Find(key, id)) return kRegInvalidHandle;
    if (RegStatus s = Begin(); s != kRegOk) return s;
    RegStatus s = CheckKey(id);
    if (s == kRegOk) {
      Use u(deleteValue_);
      deleteValue_.Bind(1, id);
      deleteValue_.Bind(2, Fold(name));
      int rc = deleteValue_.Step();
      s = rc != SQLITE_DONE ? MapError(rc, db_) : sqlite3_changes(db_) == 1 ? kRegOk : kRegFileNotFound;
    }
    return Finish(s);
  }

  RegStatus FlushKey(HKey key) override {
    std::lock_guard lock(mutex_);
    KeyId id = 0;
    if (!handles_.Find(key, id)) return kRegInvalidHandle;
    // Inside a group there is nothing whole to flush yet; its end does.
    if (depth_ > 0) return doomed_;
    return Checkpoint();
  }

  RegStatus CloseKey(HKey key) override {
    std::lock_guard lock(mutex_);
    keyCursors_.erase(key);
    valueCursors_.erase(key);
    return handles_.Remove(key) ? kRegOk : kRegInvalidHandle;
  }

  RegStatus BeginSnapshot() override {
    std::lock_guard lock(mutex_);
    // Inside a write group, or inside another snapshot, the reads share a
    // lock already.
    if (depth_ == 0 && snapshots_ == 0 && sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
      return MapError(sqlite3_errcode(db_), db_);
    }
    ++snapshots_;
    return kRegOk;
  }

  void EndSnapshot() override {
    std::lock_guard lock(mutex_);
    if (snapshots_ == 0 || --snapshots_ > 0 || depth_ > 0) return;
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  }

  RegStatus BeginTransaction() override {
    std::lock_guard lock(mutex_);
    if (depth_ > 0 && doomed_ != kRegOk) return doomed_;
    if (readOnly_) return kRegWriteProtect;
    if (depth_ == 0) {
      // IMMEDIATE takes the write lock now: a group that read first and
      // wrote later could otherwise find another writer had come between.
      if (RegStatus s = Run(begin_); s != kRegOk) {
        Rollback();
        return s;
      }
      doomed_ = kRegOk;
    }
    ++depth_;
    return kRegOk;
  }

  RegStatus EndTransaction(bool commit) override {
    std::lock_guard lock(mutex_);
    if (depth_ == 0) return kRegInvalidParameter;
    if (!commit && doomed_ == kRegOk) {
      Rollback();
      doomed_ = kRegCancelled;
    }
    if (--depth_ > 0) return doomed_;
    RegStatus s = doomed_;
    doomed_ = kRegOk;
    if (s != kRegOk) return commit ? s : kRegOk;
    s = Commit();
    if (s != kRegOk) {
      Rollback();
      return s;
    }
    // The commit is what the original platform's flush stands for: make it
    // durable here rather than after every value.
    Checkpoint();
    return kRegOk;
  }

 private:
  RegStatus Checkpoint() {    // Commits are already whole on disk for any process that opens the
    // store after a crash of this one; a checkpoint also makes them survive
    // a power failure. Another process busy in the store makes the
    // checkpoint stop early, which is fine: it will run one itself.
    int rc = sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    return rc == SQLITE_OK || rc == SQLITE_BUSY ? kRegOk : MapError(rc, db_);
  }

  RegStatus FindChild(KeyId parent, std::string_view name, KeyId& child) {
    Use u(findChild_);
    findChild_.Bind(1, parent);
    findChild_.Bind(2, Fold(name));
    int rc = findChild_.Step();
    if (rc == SQLITE_ROW) {
      child = findChild_.Int(0);
      return kRegOk;
    }
    return rc == SQLITE_DONE ? kRegFileNotFound : MapError(rc, db_);
  }

  RegStatus CheckKey(KeyId id) {
    Use u(keyExists_);
    keyExists_.Bind(1, id);
    int rc = keyExists_.Step();
    if (rc == SQLITE_ROW) return kRegOk;
    return rc == SQLITE_DONE ? kRegKeyDeleted : MapError(rc, db_);
  }

  // A lookup under key id found nothing: absent while the key exists,
  // otherwise why it does not.
  RegStatus Missing(KeyId id, RegStatus absent) {
    RegStatus k = CheckKey(id);
    return k == kRegOk ? absent : k;
  }

  RegStatus Run(Stmt& s) {
    Use u(s);
    int rc = s.Step();
    return rc == SQLITE_DONE ? kRegOk : MapError(rc, db_);
  }
  // Starts one write: its own transaction, or a part of the caller's group
  // (which a failure before has already undone).
  RegStatus Begin() {
    if (readOnly_) return kRegWriteProtect;
    return depth_ > 0 ? doomed_ : Run(begin_);
  }
  RegStatus Commit() { return Run(commit_); }
  void Rollback() {
    if (!sqlite3_get_autocommit(db_)) Run(rollback_);
  }
  // Ends a write begun with Begin(): committed when s and the commit are
  // kRegOk, rolled back otherwise. Inside a group a failure of the store
  // undoes the whole group, and the group remembers why.
  RegStatus Finish(RegStatus s) {
    if (depth_ > 0) {
      // A key or value that is not there changed nothing; only what the
      // store itself failed at may have left half a write.
      if (s != kRegOk && s != kRegFileNotFound && s != kRegKeyDeleted && s != kRegInvalidParameter) {
        Rollback();
        doomed_ = s;
      }
      return s;
    }
    if (s == kRegOk) s = Commit();
    if (s != kRegOk) Rollback();
    return s;
  }

  // Where an enumeration through a handle stands: the index and folded
  // name it gave last. Asking for the next index goes on from that name
  // through the index instead of counting past every earlier row, so a walk
  // over n keys costs n steps, not n squared.
  struct Cursor {
    std::uint32_t index;
    std::string lname;
  };
  using Cursors = std::unordered_map<HKey, Cursor>;

  Stmt& Enumerate(Cursors& cursors, HKey key, std::uint32_t index, Stmt& byOffset, Stmt& after, KeyId id) {
    auto it = cursors.find(key);
    if (index > 0 && it != cursors.end() && it->second.index + 1 == index) {
      after.Bind(1, id);
      after.Bind(2, it->second.lname);
      return after;
    }
    byOffset.Bind(1, id);
    byOffset.Bind(2, static_cast<std::int64_t>(index));
    return byOffset;
  }

  Cursors keyCursors_, valueCursors_;
  int snapshots_ = 0;
  std::mutex mutex_;
  sqlite3* db_;
  const bool readOnly_;  // opened for reading: every write is refused
  regdetail::HandleTable handles_;
  int depth_ = 0;              // nesting of BeginTransaction
  RegStatus doomed_ = kRegOk;  // why the open group was undone

  Stmt findChild_, insertKey_, keyExists_, getValue_, setValue_, enumKey_, enumValue_, enumKeyAfter_,
      enumValueAfter_,
      deleteValue_, deleteTreeValues_, deleteTreeKeys_, begin_, commit_, rollback_;
};

// Creates the missing folders of path's parent, each open to its owner only.
bool MakeParentFolders(const std::string& path, std::string* error) {
  std::size_t pos = 0;
  while ((pos = path.find('/', pos + 1)) != std::string::npos) {
    std::string dir = path.substr(0, pos);
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
      if (error) *error = "cannot create folder " + dir + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

int QueryInt(sqlite3* db, const char* sql, int& value) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
      value = sqlite3_column_int(st, 0);
      rc = SQLITE_OK;
    }
  }
  sqlite3_finalize(st);
  return rc;
}

// Why SQLite could not go on, in the store's words, with the result code
// that goes with it.
std::string Why(sqlite3* db, int rc, RegStatus& status) {
  status = MapError(rc, db);
  if (status == kRegDiskFull) return "disk full";
  switch (rc & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      return std::string("not a registry store (") + sqlite3_errmsg(db) + ")";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return "another program holds it locked";
    case SQLITE_READONLY:
      return "it is read-only";
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      status = kRegAccessDenied;
      return std::string("it cannot be opened (") + sqlite3_errmsg(db) + ")";
    default:
      return sqlite3_errmsg(db);
  }
}

// Makes db a registry store: an empty database gets the schema, a store is
// taken as it is, anything else is refused without a single write. A store
// opened for reading only is taken as it is.
bool PrepareStore(sqlite3* db, bool readOnly, std::string* error, RegStatus* status) {
  RegStatus ignored = kRegOk;
  RegStatus& st = status != nullptr ? *status : ignored;
  auto fail = [&](int rc) {
    std::string why = Why(db, rc, st);
    if (error) *error = why;
    return false;
  };
  int appId = 0;
  int tables = 0;
  if (int rc = QueryInt(db, "PRAGMA application_id", appId); rc != SQLITE_OK) return fail(rc);
  if (int rc = QueryInt(db, "SELECT count(*) FROM sqlite_master", tables); rc != SQLITE_OK) {
    return fail(rc);
  }
  if (appId != kApplicationId && (appId != 0 || tables != 0)) {
    st = kRegBadDb;
    if (error) *error = "not a registry store (the database holds other data)";
    return false;
  }
  if (readOnly) {
    if (appId == kApplicationId) return true;
    st = kRegWriteProtect;
    if (error) *error = "it is empty and read-only";
    return false;
  }
  auto exec = [&](const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? true
                                                                         : fail(sqlite3_errcode(db));
  };
  if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA synchronous=NORMAL")) return false;
  if (appId == kApplicationId) return true;

  // Two programs may create the store at the same moment: look again
  // inside the write transaction.
  if (!exec("BEGIN IMMEDIATE")) return false;
  if (int rc = QueryInt(db, "PRAGMA application_id", appId); rc != SQLITE_OK) {
    fail(rc);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
  }
  if (appId == kApplicationId) return exec("COMMIT");
  std::string init = std::string(kSchema) + "PRAGMA application_id=" + std::to_string(kApplicationId) + ";";
  if (!exec(init.c_str())) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
  }
  return exec("COMMIT");
}

}  // namespace

namespace regdetail {

void ReleaseMovedSqliteStore(Registry& store, bool writeBack) {
  static_cast<SqliteRegistry&>(store).ReleaseMoved(writeBack);
}

bool LooksLikeSqliteStore(int fd) {
  unsigned char head[72];
  const ssize_t n = ::pread(fd, head, sizeof head, 0);
  if (n == 0) return true;
  if (n != static_cast<ssize_t>(sizeof head) || std::memcmp(head, "SQLite format 3", 16) != 0) return false;
  // The application id, big-endian at offset 68 of the header.
  const std::uint32_t id = (std::uint32_t{head[68]} << 24) | (std::uint32_t{head[69]} << 16) |
                           (std::uint32_t{head[70]} << 8) | head[71];
  return id == static_cast<std::uint32_t>(kApplicationId);
}

}  // namespace regdetail

std::unique_ptr<Registry> OpenSqliteRegistry(const std::string& hostPath, std::string* error,
                                             RegStatus* status, int busyTimeoutMs) {
  auto fail = [&](RegStatus s, const std::string& why) -> std::unique_ptr<Registry> {
    if (error) *error = why;
    if (status) *status = s;
    return nullptr;
  };
  if (hostPath.empty()) return fail(kRegInvalidParameter, "no path");
  struct stat st;
  if (::stat(hostPath.c_str(), &st) != 0) {
    std::string why;
    if (!MakeParentFolders(hostPath, &why)) return fail(kRegAccessDenied, why);
    // The store holds the user's settings: only its owner may read it. The
    // WAL files SQLite makes beside it take the same permissions.
    int fd = ::open(hostPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) {
      const bool full = errno == ENOSPC || errno == EDQUOT;
      return fail(full ? kRegDiskFull : kRegAccessDenied,
                  std::string("cannot create the file: ") + (full ? "disk full" : std::strerror(errno)));
    }
    if (fd >= 0) ::close(fd);
  } else if (S_ISDIR(st.st_mode)) {
    return fail(kRegBadDb, "it is a folder");
  } else if (!S_ISREG(st.st_mode)) {
    return fail(kRegBadDb, "it is not a regular file");
  }

  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(hostPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  if (rc != SQLITE_OK) {
    RegStatus s = kRegBadDb;
    std::string why = db ? Why(db, rc, s) : sqlite3_errstr(rc);
    sqlite3_close(db);
    return fail(s, why);
  }
  sqlite3_busy_timeout(db, busyTimeoutMs);
  // SQLite opens a file it may not write for reading only.
  const bool readOnly = sqlite3_db_readonly(db, "main") == 1;
  RegStatus s = kRegBadDb;
  std::string why;
  if (!PrepareStore(db, readOnly, &why, &s)) {
    sqlite3_close(db);
    return fail(s, why);
  }
  auto store = std::make_unique<SqliteRegistry>(db, readOnly);
  if (!store->PrepareAll()) return fail(kRegBadDb, sqlite3_errmsg(db));
  if (status) *status = kRegOk;
  return store;
}

}  // namespace platform
