// The lookups by name. The readers index a file once; the results must be
// those of rescanning the file line by line from the top for every lookup,
// so a literal rescanning lookup below serves as the reference.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/dospath.h"
#include "platform/file.h"
#include "support/tempdir.h"
#include "tuning/mva_config.h"

namespace {

using platform::File;

// --- reference: rescans the open file for every lookup --------------------

bool FindSectionLine(File& f) {
  std::string line;
  while (f.ReadLine(line, kMvaLineLimit)) {
    if (!line.empty() && line[0] == '[' &&
        platform::ToUpperAscii(line).find("HARRIER_1") != std::string::npos) {
      return true;
    }
  }
  return false;
}

bool Space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

int RefValue(File& f, const std::string& key, int section, bool upper, std::string& out) {
  out.clear();
  f.Rewind();
  if (section >= 0 && (section != 0 || !FindSectionLine(f))) return 1;
  std::string line;
  while (f.ReadLine(line, kMvaLineLimit)) {
    if (line.size() < key.size() || !platform::EqualsNoCase(line.substr(0, key.size()), key)) {
      continue;
    }
    std::size_t eq = line.find('=');
    std::size_t b = eq == std::string::npos ? line.size() : eq + 1;
    while (b < line.size() && Space(line[b])) ++b;
    std::size_t e = line.size();
    while (e > b && Space(line[e - 1])) --e;
    out = line.substr(b, e - b);
    if (upper) out = platform::ToUpperAscii(out);
    return 0;
  }
  return 2;
}

int RefItem(File& f, const std::string& key, int section, int n, bool single, std::string& out) {
  out.clear();
  f.Rewind();
  if (section >= 0 && (section != 0 || !FindSectionLine(f))) return 1;
  std::string line;
  for (;;) {
    std::int64_t start = f.Tell();
    if (!f.ReadLine(line, kMvaLineLimit)) return 2;
    std::string up = platform::ToUpperAscii(line);
    if (up.find(key) != std::string::npos && line.size() > key.size() &&
        (up[key.size()] == ' ' || up[key.size()] == '=')) {
      f.Seek(start);
      break;
    }
  }
  int c;
  while ((c = f.GetChar()) != '=') {
    if (c == File::kEof) return 3;
  }
  if (!single) {
    while ((c = f.GetChar()) != '{') {
      if (c == File::kEof) return 6;
    }
  }
  for (int i = 1; i <= n; ++i) {
    while ((c = f.GetChar()) != '{') {
      if (c == '}' || c == File::kEof) return 8;
    }
    out.clear();
    while ((c = f.GetChar()) != '}' && c != File::kEof) {
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
      if (out.size() < kMvaValueLimit) out += static_cast<char>(c);
    }
  }
  return 0;
}

// --- a generator of awkward files -------------------------------------------

std::string RandomFile(std::mt19937& rng) {
  static const std::vector<std::string> pieces = {
      "TX", "tx", "TXTR", "TX_LABEL", "TY", "RV", "rvcp", "SF", "LEVEL", "level",
      "BUTTON_MASKS", "BUTTON_A_USER", "TX+", "TX+R", "=", " = ", "==", "{", "}", "{ ",
      " }", ",", ", ", "1.5", "-3", "0x1F", "FIRE", "[HARRIER_1]", "[harrier_1 extra",
      "[OTHER]", " [HARRIER_1]", ";", "; TX = {", "\n", "\r\n", "\r", "\t", " ", "  ",
      std::string(1, '\0'), "\"Quake\"", "AB TX", "ZZ=", "expert", "XYZRUV",
      // well-formed fragments, so that lookups also reach deep items
      "\nTX = {\n", "\nRV = { ", "\nBUTTON_MASKS = {\n", "\nTXTR = { 1, 2, 3, 4, 5 }\n",
      "{ 1, 2 },\n", "{ a, b }, ", "{ FIRE, 0x1 },\n", "{ 3,\r\n 4 }", "\nSF = 2\n",
      "\n[HARRIER_1]\n", "\nTY = { { 1, 1 }, { 2, 2 }, { 3, 3 } }\n",
  };
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::uniform_int_distribution<int> count(0, 120);
  std::uniform_int_distribution<int> longRun(0, 30);
  std::string s;
  int n = count(rng);
  for (int i = 0; i < n; ++i) {
    if (longRun(rng) == 0) s += std::string(200 + longRun(rng) * 5, 'Q');
    s += pieces[pick(rng)];
  }
  return s;
}

TEST(CfgLookup, IndexedLookupsMatchRescanning) {
  testsupport::TempDir dir;
  std::mt19937 rng(4711);
  const std::vector<std::string> scalarKeys = {"TX", "tx", "TX+", "TXTR", "LEVEL", "SF",
                                               "BUTTON_A_USER", "ZZ", "[", ";"};
  const std::vector<std::string> bracedKeys = {"TX", "TXTR", "TY", "RV", "RVCP", "BUTTON_MASKS",
                                               "SF", "ZZ"};
  int compared = 0;
  int itemsFound = 0;
  for (int round = 0; round < 250; ++round) {
    std::string bytes = RandomFile(rng);
    dir.Write("t.vcg", bytes);
    File f(dir.Host("t.vcg"), platform::OpenMode::ReadText);
    ASSERT_TRUE(f.IsOpen());
    for (int section : {-1, 0}) {
      for (const std::string& key : scalarKeys) {
        for (bool upper : {false, true}) {
          std::string want, got;
          int rcWant = RefValue(f, key, section, upper, want);
          int rcGot = upper ? MVA_GetCfgValueUpper(got, key, section, f)
                            : MVA_GetCfgValue(got, key, section, f);
          ASSERT_EQ(rcGot, rcWant) << "round " << round << " key " << key;
          ASSERT_EQ(got, want) << "round " << round << " key " << key;
          ++compared;
        }
      }
      for (const std::string& key : bracedKeys) {
        for (bool single : {false, true}) {
          MVA_CfgItemCache cache;
          for (int n = 1; n <= 5; ++n) {
            std::string want, gotCached, gotFresh;
            int rcWant = RefItem(f, key, section, n, single, want);
            int rcCached = MVA_GetCfgItem(gotCached, key, section, f, n, &cache, single);
            int rcFresh = MVA_GetCfgItem(gotFresh, key, section, f, n, nullptr, single);
            ASSERT_EQ(rcFresh, rcWant) << "round " << round << " key " << key << " n " << n;
            ASSERT_EQ(rcCached, rcWant) << "round " << round << " key " << key << " n " << n;
            if (rcWant == 0) {
              ++itemsFound;
              ASSERT_EQ(gotFresh, want) << "round " << round << " key " << key << " n " << n;
              ASSERT_EQ(gotCached, want) << "round " << round << " key " << key << " n " << n;
            }
            ++compared;
          }
        }
      }
    }
  }
  EXPECT_GT(compared, 30000);
  EXPECT_GT(itemsFound, 1000);  // the generator reaches deep items, not just failures
}

struct LookupCase {
  const char* name;
  std::string file;
  const char* key;
  int section;
  int rc;
  const char* value;
};

TEST(CfgLookup, ScalarRules) {
  const LookupCase cases[] = {
      {"value after first =", "LEVEL = a = b\n", "LEVEL", -1, 0, "a = b"},
      {"no blanks around =", "LEVEL=expert\n", "LEVEL", -1, 0, "expert"},
      {"key compared without case", "level = Expert\r\n", "LEVEL", -1, 0, "Expert"},
      {"key is a prefix of the line", "LEVELS = 3\nLEVEL = 1\n", "LEVEL", -1, 0, "3"},
      {"no = gives an empty value", "LEVEL expert\n", "LEVEL", -1, 0, ""},
      {"indented key is not found", "  LEVEL = 1\n", "LEVEL", -1, 2, ""},
      {"comment never matches", "; LEVEL = 1\n", "LEVEL", -1, 2, ""},
      {"section missing", "SF = 1\n", "SF", 0, 1, ""},
      {"section key before the section is skipped", "SF = 1\n[HARRIER_1]\nSF = 2\n", "SF", 0, 0,
       "2"},
      {"section line in any case", "[harrier_1]\nSF = 2\n", "SF", 0, 0, "2"},
      {"section must start the line", " [HARRIER_1]\nSF = 2\n", "SF", 0, 1, ""},
      {"last line without line end", "SF = 7", "SF", -1, 0, "7"},
      {"the rest of a long line is a line of its own",
       std::string(254, 'x') + "SF = 9\n", "SF", -1, 0, "9"},
      {"a line of 254 characters is whole", std::string(253, 'x') + "\nSF = 4\n", "SF", -1, 0,
       "4"},
  };
  testsupport::TempDir dir;
  for (const LookupCase& c : cases) {
    dir.Write("t.vcg", c.file);
    File f(dir.Host("t.vcg"), platform::OpenMode::ReadText);
    std::string value = "stale";
    EXPECT_EQ(MVA_GetCfgValue(value, c.key, c.section, f), c.rc) << c.name;
    EXPECT_EQ(value, c.value) << c.name;
  }
}

TEST(CfgLookup, BracedRules) {
  struct Case {
    const char* name;
    std::string file;
    const char* key;
    int n;
    bool single;
    int rc;
    const char* value;
  };
  const Case cases[] = {
      {"second item, blanks and line ends dropped", "TX = {\n { 1, 2 },\n {\t3 ,\n 4 }\n}\n", "TX",
       2, false, 0, "3,4"},
      {"lower-case key line", "tx = { { 1, 2 } }\n", "TX", 1, false, 0, "1,2"},
      {"TXTR is not TX", "TXTR = { 1, 2, 3, 4, 5 }\nTX = { { 9, 9 } }\n", "TX", 1, false, 0,
       "9,9"},
      {"the key may stand anywhere if index len is blank", "AB TX = { { 5, 6 } }\n", "TX", 1,
       false, 0, "5,6"},
      {"list ends before item", "TX = { { 1, 2 } }\nTY = { { 3, 4 } }\n", "TX", 2, false, 8, ""},
      {"no outer brace", "TX = 5\n", "TX", 1, false, 6, ""},
      {"no =", "TX {\n", "TX", 1, false, 3, ""},
      {"single group", "SENS_BEG_USER = { 1, 1 }\n", "SENS_BEG_USER", 1, true, 0, "1,1"},
      {"key missing", "TY = { { 1 } }\n", "TX", 1, false, 2, ""},
      {"unterminated group runs to the end", "TX = { { 1, 2", "TX", 1, false, 0, "1,2"},
      {"key line without line end at the end of file", "TX = { { 1, 2 } }", "TX", 1, false, 0,
       "1,2"},
  };
  testsupport::TempDir dir;
  for (const Case& c : cases) {
    dir.Write("t.vcg", c.file);
    File f(dir.Host("t.vcg"), platform::OpenMode::ReadText);
    std::string value = "stale";
    EXPECT_EQ(MVA_GetCfgItem(value, c.key, -1, f, c.n, nullptr, c.single), c.rc) << c.name;
    EXPECT_EQ(value, c.value) << c.name;
  }
}

TEST(CfgLookup, ItemTextIsBounded) {
  testsupport::TempDir dir;
  dir.Write("t.vcg", "TX = { { " + std::string(10000, '7') + " } }\n");
  File f(dir.Host("t.vcg"), platform::OpenMode::ReadText);
  std::string value;
  ASSERT_EQ(MVA_GetCfgItem(value, "TX", -1, f, 1, nullptr, false), 0);
  EXPECT_EQ(value, std::string(kMvaValueLimit, '7'));
}

}  // namespace
