// The rules every registry store keeps, checked on the in-memory store and
// on the host's real one alike: the SQLite store on Linux, the system's
// registry on Windows.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "support/host.h"
#include "support/tempdir.h"

namespace {

using namespace platform;

struct StoreMaker {
  const char* name;
  std::function<std::unique_ptr<Registry>(const testsupport::TempDir&)> make;
  // The system's registry has no groups of writes: each lands on its own.
  bool groups = true;
};

const StoreMaker kStores[] = {
    {"memory", [](const testsupport::TempDir&) { return NewMemoryRegistry(); }},
#ifdef _WIN32
    {"win32", [](const testsupport::TempDir&) { return platform::testing::NewScratchRegistry(); },
     false},
#else
    {"sqlite",
     [](const testsupport::TempDir& dir) {
       std::string error;
       auto r = OpenSqliteRegistry(dir.Host("reg/registry.db"), &error);
       EXPECT_TRUE(r) << error;
       return r;
     }},
#endif
};

class RegistryStoreTest : public ::testing::TestWithParam<StoreMaker> {
 protected:
  void SetUp() override { reg = GetParam().make(dir); }

  HKey Create(const std::string& path) {
    HKey k = kNoKey;
    EXPECT_EQ(reg->CreateKey(kHKeyLocalMachine, path, k), kRegOk) << path;
    return k;
  }
  std::vector<std::string> Subkeys(HKey k) {
    std::vector<std::string> out;
    std::string name;
    for (std::uint32_t i = 0; reg->EnumKey(k, i, name) == kRegOk; ++i) out.push_back(name);
    return out;
  }

  testsupport::TempDir dir;
  std::unique_ptr<Registry> reg;
};

TEST_P(RegistryStoreTest, KeysAreFoundWithoutRegardToCaseAndKeepTheirCase) {
  HKey a = Create("System\\CurrentControlSet\\Control");
  HKey b = kNoKey;
  ASSERT_EQ(reg->OpenKey(kHKeyLocalMachine, "SYSTEM\\currentcontrolset", b), kRegOk);
  HKey c = kNoKey;
  ASSERT_EQ(reg->OpenKey(b, "CONTROL", c), kRegOk);
  ASSERT_EQ(reg->SetString(a, "Name", "x"), kRegOk);
  RegValue v;
  EXPECT_EQ(reg->QueryValue(c, "NAME", v), kRegOk);  // the same key through both handles

  // Creating under another case reuses the key and keeps the first spelling.
  HKey again = Create("system\\CURRENTCONTROLSET\\Control\\Media");
  EXPECT_EQ(Subkeys(b), std::vector<std::string>{"Control"});
  HKey root = kNoKey;
  ASSERT_EQ(reg->OpenKey(kHKeyLocalMachine, "", root), kRegOk);
  EXPECT_EQ(Subkeys(root), std::vector<std::string>{"System"});
  for (HKey k : {a, b, c, again, root}) EXPECT_EQ(reg->CloseKey(k), kRegOk);
}

TEST_P(RegistryStoreTest, BadPathsAndHandlesAreRefused) {
  // The system's registry takes doubled and trailing backslashes as one
  // separator and only finds no key under a name too long to exist. The
  // stores refuse such paths, and rightly: the system never builds them, so
  // one is a caller's mistake, and refusing it keeps a store from holding a
  // key under a name the system would spell differently.
  struct Case {
    const char* path;
    RegStatus open;
    RegStatus win32;
  };
  const std::string tooLong(kMaxKeyNameLength + 1, 'k');
  const std::string longest(kMaxKeyNameLength, 'k');
  Create("A\\B");
  Create(longest);
  const Case cases[] = {
      {"A\\B", kRegOk, kRegOk},
      {"a\\b", kRegOk, kRegOk},
      {"A\\C", kRegFileNotFound, kRegFileNotFound},
      {"Missing", kRegFileNotFound, kRegFileNotFound},
      {"A\\\\B", kRegInvalidParameter, kRegOk},
      {"\\A", kRegInvalidParameter, 161 /* ERROR_BAD_PATHNAME */},
      {"A\\", kRegInvalidParameter, kRegOk},
      {longest.c_str(), kRegOk, kRegOk},
      {tooLong.c_str(), kRegInvalidParameter, kRegFileNotFound},
  };
  const bool system = std::string(GetParam().name) == "win32";
  for (const auto& c : cases) {
    HKey k = kNoKey;
    const RegStatus expected = system ? c.win32 : c.open;
    EXPECT_EQ(reg->OpenKey(kHKeyLocalMachine, c.path, k), expected) << c.path;
    if (expected == kRegOk) reg->CloseKey(k);
  }
  HKey k = kNoKey;
  if (!system) {
    EXPECT_EQ(reg->CreateKey(kHKeyLocalMachine, "X\\\\Y", k), kRegInvalidParameter);
    EXPECT_EQ(reg->OpenKey(kHKeyLocalMachine, "X", k), kRegFileNotFound);  // nothing half made
  }

  const HKey bogus{0x12345};
  std::uint32_t size = 0;
  EXPECT_EQ(reg->OpenKey(bogus, "A", k), kRegInvalidHandle);
  EXPECT_EQ(reg->QueryValueEx(bogus, "v", nullptr, nullptr, &size), kRegInvalidHandle);
  EXPECT_EQ(reg->SetString(bogus, "v", "x"), kRegInvalidHandle);
  EXPECT_EQ(reg->CloseKey(bogus), kRegInvalidHandle);
  EXPECT_EQ(reg->CloseKey(kHKeyLocalMachine), kRegOk);
  HKey a = Create("A");
  EXPECT_EQ(reg->CloseKey(a), kRegOk);
  EXPECT_EQ(reg->CloseKey(a), kRegInvalidHandle);  // closed twice
}

TEST_P(RegistryStoreTest, ValuesComeBackByteForByteWithTheirType) {
  HKey k = Create("Values");
  const std::vector<std::uint8_t> binary = {0, 1, 2, 0, 255, 0x80, 0};
  const std::uint8_t dword[4] = {0x78, 0x56, 0x34, 0x12};
  ASSERT_EQ(reg->SetString(k, "Text", "vexor.vxd"), kRegOk);
  ASSERT_EQ(reg->SetBinary(k, "Bin", binary.data(), binary.size()), kRegOk);
  ASSERT_EQ(reg->SetValueEx(k, "Dw", kRegDword, dword, 4), kRegOk);
  ASSERT_EQ(reg->SetValueEx(k, "Empty", kRegBinary, nullptr, 0), kRegOk);
  ASSERT_EQ(reg->SetValueEx(k, "", kRegSz, reinterpret_cast<const std::uint8_t*>("d"), 2), kRegOk);

  struct Expect {
    const char* name;
    RegType type;
    std::vector<std::uint8_t> bytes;
  };
  const Expect expects[] = {
      {"text", kRegSz, {'v', 'e', 'x', 'o', 'r', '.', 'v', 'x', 'd', 0}},  // with its zero
      {"BIN", kRegBinary, binary},
      {"dw", kRegDword, {0x78, 0x56, 0x34, 0x12}},
      {"Empty", kRegBinary, {}},
      {"", kRegSz, {'d', 0}},  // the default value
  };
  for (const auto& e : expects) {
    RegValue v;
    ASSERT_EQ(reg->QueryValue(k, e.name, v), kRegOk) << e.name;
    EXPECT_EQ(v.type, e.type) << e.name;
    EXPECT_EQ(v.data, e.bytes) << e.name;
  }
  RegValue v;
  EXPECT_EQ(reg->QueryValue(k, "Nope", v), kRegFileNotFound);

  // Replacing a value changes its type and bytes but not its spelling.
  ASSERT_EQ(reg->SetString(k, "TEXT", "x"), kRegOk);
  std::string name;
  RegValue first;
  std::vector<std::string> names;
  for (std::uint32_t i = 0; reg->EnumValue(k, i, name, first) == kRegOk; ++i) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"", "Bin", "Dw", "Empty", "Text"}));

  const std::vector<std::uint8_t> tooBig(kMaxValueSize + 1, 1);
  EXPECT_EQ(reg->SetBinary(k, "Big", tooBig.data(), tooBig.size()), kRegInvalidParameter);
  EXPECT_EQ(reg->SetString(k, std::string(kMaxValueNameLength + 1, 'n'), "x"), kRegInvalidParameter);
}

TEST_P(RegistryStoreTest, QueryFollowsTheBufferSizeRules) {
  HKey k = Create("Q");
  const std::uint8_t bytes[28] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14,
                                  15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28};
  ASSERT_EQ(reg->SetBinary(k, "V", bytes, 28), kRegOk);

  struct Case {
    const char* what;
    bool withData;
    std::uint32_t bufferSize;
    RegStatus result;
    std::uint32_t sizeAfter;
    bool copied;
  };
  const Case cases[] = {
      {"size only", false, 0, kRegOk, 28, false},
      {"exact buffer", true, 28, kRegOk, 28, true},
      {"larger buffer", true, 40, kRegOk, 28, true},
      {"small buffer", true, 27, kRegMoreData, 28, false},
      {"empty buffer", true, 0, kRegMoreData, 28, false},
  };
  for (const auto& c : cases) {
    std::uint8_t buf[40];
    std::fill(std::begin(buf), std::end(buf), 0xEE);
    std::uint32_t size = c.bufferSize;
    RegType type = kRegNone;
    EXPECT_EQ(reg->QueryValueEx(k, "V", &type, c.withData ? buf : nullptr, &size), c.result) << c.what;
    EXPECT_EQ(size, c.sizeAfter) << c.what;
    EXPECT_EQ(type, kRegBinary) << c.what;
    if (c.copied) {
      EXPECT_TRUE(std::equal(bytes, bytes + 28, buf)) << c.what;
      EXPECT_EQ(buf[28], 0xEE) << c.what;  // nothing past the value
    } else {
      EXPECT_EQ(buf[0], 0xEE) << c.what;  // a refused read leaves the buffer alone
    }
  }
}

// Groups nest; the outermost end decides. Abandoning an inner group undoes
// the whole, and the rest of the group's writes fail instead of landing
// outside it.
TEST_P(RegistryStoreTest, ATransactionKeepsAllOfItsWritesOrNone) {
  if (!GetParam().groups) GTEST_SKIP() << "the system's registry writes one value at a time";
  HKey keep = Create("Keep");
  ASSERT_EQ(reg->SetString(keep, "v", "old"), kRegOk);
  auto text = [&](const char* key, const char* name) {
    HKey k = kNoKey;
    RegValue v;
    if (reg->OpenKey(kHKeyLocalMachine, key, k) != kRegOk) return std::string("-");
    RegStatus s = reg->QueryValue(k, name, v);
    reg->CloseKey(k);
    return s == kRegOk ? std::string(v.data.begin(), v.data.end() - 1) : std::string("-");
  };
  struct Row {
    const char* what;
    bool innerCommits, outerCommits;
    RegStatus outerEnd;
    const char* after;  // Keep\v afterwards
  };
  const Row rows[] = {
      {"both commit", true, true, kRegOk, "new"},
      {"outer undoes", true, false, kRegOk, "old"},
      {"inner undoes", false, true, kRegCancelled, "old"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_EQ(reg->SetString(keep, "v", "old"), kRegOk);
    reg->DeleteKey(kHKeyLocalMachine, "New");
    ASSERT_EQ(reg->BeginTransaction(), kRegOk);
    ASSERT_EQ(reg->SetString(keep, "v", "new"), kRegOk);
    ASSERT_EQ(reg->BeginTransaction(), kRegOk);
    HKey made = Create("New\\Deep");
    ASSERT_EQ(reg->SetString(made, "w", "x"), kRegOk);
    EXPECT_EQ(reg->DeleteValue(made, "absent"), kRegFileNotFound);  // not a failure of the group
    EXPECT_EQ(reg->EndTransaction(row.innerCommits), row.innerCommits ? kRegOk : kRegCancelled);
    if (!row.innerCommits) {
      EXPECT_EQ(reg->SetString(keep, "late", "y"), kRegCancelled);
      EXPECT_EQ(reg->BeginTransaction(), kRegCancelled);
    }
    EXPECT_EQ(reg->EndTransaction(row.outerCommits), row.outerEnd);
    reg->CloseKey(made);
    EXPECT_EQ(text("Keep", "v"), row.after);
    EXPECT_EQ(text("New\\Deep", "w"), std::string(row.after) == "new" ? "x" : "-");
    EXPECT_EQ(text("Keep", "late"), "-");
  }
  EXPECT_EQ(reg->EndTransaction(true), kRegInvalidParameter);  // none open
  // After a group, writes stand on their own again.
  ASSERT_EQ(reg->SetString(keep, "v", "alone"), kRegOk);
  EXPECT_EQ(text("Keep", "v"), "alone");
}

TEST_P(RegistryStoreTest, DeletingAKeyTakesItsWholeSubtree) {
  HKey top = Create("Top");
  HKey deep = Create("Top\\Mid\\Deep");
  ASSERT_EQ(reg->SetString(deep, "v", "1"), kRegOk);
  ASSERT_EQ(reg->SetString(top, "keep", "1"), kRegOk);
  Create("Top\\Other");

  EXPECT_EQ(reg->DeleteKey(top, "mid"), kRegOk);
  EXPECT_EQ(Subkeys(top), std::vector<std::string>{"Other"});
  EXPECT_EQ(reg->DeleteKey(top, "Mid"), kRegFileNotFound);

  // A handle to a deleted key fails instead of reaching a newer key of the
  // same name.
  RegValue v;
  EXPECT_EQ(reg->QueryValue(deep, "v", v), kRegKeyDeleted);
  EXPECT_EQ(reg->SetString(deep, "v", "2"), kRegKeyDeleted);
  HKey k = kNoKey;
  EXPECT_EQ(reg->CreateKey(deep, "Below", k), kRegKeyDeleted);
  HKey fresh = Create("Top\\Mid\\Deep");
  EXPECT_EQ(reg->QueryValue(fresh, "v", v), kRegFileNotFound);
  EXPECT_EQ(reg->QueryValue(deep, "v", v), kRegKeyDeleted);
  EXPECT_EQ(reg->CloseKey(deep), kRegOk);

  EXPECT_EQ(reg->QueryValue(top, "keep", v), kRegOk);
  EXPECT_EQ(reg->DeleteValue(top, "KEEP"), kRegOk);
  EXPECT_EQ(reg->DeleteValue(top, "keep"), kRegFileNotFound);
  EXPECT_EQ(reg->DeleteKey(kHKeyLocalMachine, ""), kRegAccessDenied);
  EXPECT_EQ(reg->FlushKey(top), kRegOk);
}

INSTANTIATE_TEST_SUITE_P(Stores, RegistryStoreTest, ::testing::ValuesIn(kStores),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
