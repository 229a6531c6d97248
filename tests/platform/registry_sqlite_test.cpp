// The SQLite registry store: where it lives, who may read it, what it
// refuses, and what it keeps when writers run side by side or die.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

#include "platform/registry.h"
#include "support/tempdir.h"

namespace {

using namespace platform;
using testsupport::ScopedEnv;
using testsupport::TempDir;

std::unique_ptr<Registry> Open(const std::string& path) {
  std::string error;
  auto r = OpenSqliteRegistry(path, &error);
  EXPECT_TRUE(r) << error;
  return r;
}

mode_t Mode(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 0777;
}

TEST(RegistrySqlite, ValuesSurviveReopeningAndTheFileIsTheOwnersOnly) {
  TempDir dir;
  const std::string path = dir.Host("a/b/registry.db");
  {
    auto reg = Open(path);
    HKey k = kNoKey;
    ASSERT_EQ(reg->CreateKey(kHKeyLocalMachine, "System\\Key", k), kRegOk);
    ASSERT_EQ(reg->SetString(k, "Joystick1OEMCallout", "vexor.vxd"), kRegOk);
    ASSERT_EQ(reg->FlushKey(k), kRegOk);
    reg->CloseKey(k);
  }
  EXPECT_EQ(Mode(path), 0600u);
  EXPECT_EQ(Mode(dir.Host("a")), 0700u);
  EXPECT_EQ(Mode(dir.Host("a/b")), 0700u);

  auto reg = Open(path);
  HKey k = kNoKey;
  ASSERT_EQ(reg->OpenKey(kHKeyLocalMachine, "system\\key", k), kRegOk);
  RegValue v;
  ASSERT_EQ(reg->QueryValue(k, "joystick1oemcallout", v), kRegOk);
  EXPECT_EQ(std::string(v.data.begin(), v.data.end()), std::string("vexor.vxd", 10));
}

TEST(RegistrySqlite, AFileThatIsNotAStoreIsRefusedAndLeftAsItWas) {
  TempDir dir;
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"text file", "[HKEY_LOCAL_MACHINE]\nnot a database at all, but long enough to have a header\n"},
      {"random bytes", std::string(4096, '\x5a')},
  };
  for (const auto& c : cases) {
    dir.Write("bad.db", c.bytes);
    std::string error;
    EXPECT_FALSE(OpenSqliteRegistry(dir.Host("bad.db"), &error)) << c.what;
    EXPECT_NE(error.find("not a registry store"), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(dir.Read("bad.db"), c.bytes) << c.what;
    EXPECT_FALSE(dir.Exists("bad.db-wal")) << c.what;
  }
  dir.Write("folder/x", "");
  std::string error;
  EXPECT_FALSE(OpenSqliteRegistry(dir.Host("folder"), &error));
}

TEST(RegistrySqlite, AnotherProgramsDatabaseIsNotTakenOver) {
  TempDir dir;
  const std::string path = dir.Host("other.db");
  struct Case {
    const char* what;
    const char* sql;
  };
  const Case cases[] = {
      {"tables of its own", "CREATE TABLE t(x); INSERT INTO t VALUES(1);"},
      {"another application id", "PRAGMA application_id=7;"},
  };
  for (const auto& c : cases) {
    std::remove(path.c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, c.sql, nullptr, nullptr, nullptr), SQLITE_OK) << c.what;
    sqlite3_close(db);
    const std::string before = dir.Read("other.db");
    std::string error;
    EXPECT_FALSE(OpenSqliteRegistry(path, &error)) << c.what;
    EXPECT_NE(error.find("not a registry store"), std::string::npos) << error;
    EXPECT_EQ(dir.Read("other.db"), before) << c.what;
  }
}

TEST(RegistrySqlite, AnEmptyFileBecomesAStore) {
  TempDir dir;
  dir.Write("empty.db", "");
  auto reg = Open(dir.Host("empty.db"));
  HKey k = kNoKey;
  EXPECT_EQ(reg->CreateKey(kHKeyLocalMachine, "K", k), kRegOk);
}

TEST(RegistrySqlite, TheDefaultPlaceFollowsTheEnvironment) {
  struct Case {
    const char* registry;
    const char* xdg;
    const char* home;
    std::string expected;
  };
  const Case cases[] = {
      {"/srv/reg.db", "/xdg", "/home/ann", "/srv/reg.db"},
      {nullptr, "/xdg", "/home/ann", "/xdg/tandrix/registry.db"},
      {"", "/xdg", "/home/ann", "/xdg/tandrix/registry.db"},
      {nullptr, nullptr, "/home/ann", "/home/ann/.config/tandrix/registry.db"},
      {nullptr, "relative/xdg", "/home/ann/", "/home/ann/.config/tandrix/registry.db"},
      {"Z:\\srv\\reg.db", nullptr, "/home/ann", "/srv/reg.db"},
  };
  for (const auto& c : cases) {
    ScopedEnv r("TANDRIX_REGISTRY", c.registry);
    ScopedEnv x("XDG_CONFIG_HOME", c.xdg);
    ScopedEnv h("HOME", c.home);
    EXPECT_EQ(DefaultRegistryPath(), c.expected) << (c.registry ? c.registry : "-");
  }
}

TEST(RegistrySqlite, TheSystemStoreOpensOnFirstUseOrFailsEveryCallWithAReason) {
  TempDir dir;
  {
    ScopedEnv r("TANDRIX_REGISTRY", dir.Host("cfg/registry.db").c_str());
    SetSystemRegistry(nullptr);
    HKey k = kNoKey;
    ASSERT_EQ(SystemRegistry().CreateKey(kHKeyLocalMachine, "Seen", k), kRegOk);
    SystemRegistry().CloseKey(k);
    EXPECT_TRUE(dir.Exists("cfg/registry.db"));
    EXPECT_EQ(SystemRegistryError(), "");
  }
  {
    dir.Write("junk.db", std::string(2048, 'j'));
    ScopedEnv r("TANDRIX_REGISTRY", dir.Host("junk.db").c_str());
    SetSystemRegistry(nullptr);
    HKey k = kNoKey;
    EXPECT_EQ(SystemRegistry().CreateKey(kHKeyLocalMachine, "Seen", k), kRegBadDb);
    EXPECT_NE(SystemRegistryError().find(dir.Host("junk.db")), std::string::npos);
    EXPECT_EQ(dir.Read("junk.db"), std::string(2048, 'j'));
  }
  SetSystemRegistry(nullptr);
}

// While one program's group is open, another reads the values as they
// were, and its writes wait for the group (here only briefly) and then
// fail with the lock named.
TEST(RegistrySqlite, AnOpenGroupIsInvisibleAndHoldsOffOtherWriters) {
  TempDir dir;
  auto a = Open(dir.Host("r.db"));
  std::string error;
  auto b = OpenSqliteRegistry(dir.Host("r.db"), &error, nullptr, 50);
  ASSERT_TRUE(b) << error;
  HKey ka = kNoKey, kb = kNoKey;
  ASSERT_EQ(a->CreateKey(kHKeyLocalMachine, "K", ka), kRegOk);
  ASSERT_EQ(a->SetString(ka, "v", "one"), kRegOk);
  ASSERT_EQ(b->OpenKey(kHKeyLocalMachine, "K", kb), kRegOk);

  ASSERT_EQ(a->BeginTransaction(), kRegOk);
  ASSERT_EQ(a->SetString(ka, "v", "two"), kRegOk);
  RegValue v;
  ASSERT_EQ(b->QueryValue(kb, "v", v), kRegOk);
  EXPECT_EQ(std::string(v.data.begin(), v.data.end()), std::string("one", 4));
  EXPECT_EQ(b->SetString(kb, "w", "x"), kRegLockViolation);
  EXPECT_EQ(b->BeginTransaction(), kRegLockViolation);
  ASSERT_EQ(a->EndTransaction(true), kRegOk);

  ASSERT_EQ(b->QueryValue(kb, "v", v), kRegOk);
  EXPECT_EQ(std::string(v.data.begin(), v.data.end()), std::string("two", 4));
  EXPECT_EQ(b->SetString(kb, "w", "x"), kRegOk);
  EXPECT_EQ(RegErrorText(kRegLockViolation), "error 33 (another program holds the registry store locked)");
}

// Two connections, as two programs would have, see each other's writes at
// once, and a key one deletes fails in the other.
TEST(RegistrySqlite, TwoConnectionsShareOneStore) {
  TempDir dir;
  auto a = Open(dir.Host("r.db"));
  auto b = Open(dir.Host("r.db"));
  HKey ka = kNoKey, kb = kNoKey;
  ASSERT_EQ(a->CreateKey(kHKeyLocalMachine, "K", ka), kRegOk);
  ASSERT_EQ(b->OpenKey(kHKeyLocalMachine, "k", kb), kRegOk);
  ASSERT_EQ(a->SetString(ka, "v", "one"), kRegOk);
  RegValue v;
  ASSERT_EQ(b->QueryValue(kb, "V", v), kRegOk);
  EXPECT_EQ(v.data.size(), 4u);
  ASSERT_EQ(b->DeleteKey(kHKeyLocalMachine, "K"), kRegOk);
  EXPECT_EQ(a->SetString(ka, "v", "two"), kRegKeyDeleted);
}

// A writer killed at any moment leaves the store openable, and the value it
// was rewriting is either the old or the new one, whole.
TEST(RegistrySqlite, AWriterKilledMidWriteLeavesWholeValues) {
  TempDir dir;
  const std::string path = dir.Host("kill.db");
  const std::size_t kSize = 200000;
  {
    auto reg = Open(path);
    HKey k = kNoKey;
    ASSERT_EQ(reg->CreateKey(kHKeyLocalMachine, "K", k), kRegOk);
    std::vector<std::uint8_t> a(kSize, 'A');
    ASSERT_EQ(reg->SetBinary(k, "v", a.data(), a.size()), kRegOk);
  }
  for (int round = 0; round < 5; ++round) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      std::string error;
      auto reg = OpenSqliteRegistry(path, &error);
      if (!reg) ::_exit(3);
      HKey k = kNoKey;
      if (reg->OpenKey(kHKeyLocalMachine, "K", k) != kRegOk) ::_exit(4);
      for (int i = 0;; ++i) {
        std::vector<std::uint8_t> bytes(kSize + (i % 7), static_cast<std::uint8_t>('A' + i % 26));
        reg->SetBinary(k, "v", bytes.data(), bytes.size());
        if (i % 5 == 0) reg->FlushKey(k);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30 + 37 * round));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;

    auto reg = Open(path);
    ASSERT_TRUE(reg);
    HKey k = kNoKey;
    ASSERT_EQ(reg->OpenKey(kHKeyLocalMachine, "K", k), kRegOk);
    RegValue v;
    ASSERT_EQ(reg->QueryValue(k, "v", v), kRegOk);
    ASSERT_GE(v.data.size(), kSize);
    ASSERT_LE(v.data.size(), kSize + 6);
    const std::uint8_t first = v.data[0];
    EXPECT_EQ(std::count(v.data.begin(), v.data.end(), first), static_cast<long>(v.data.size()))
        << "a torn value after round " << round;
  }
}

}  // namespace
