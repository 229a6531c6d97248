#include "platform/profile.h"

#include <gtest/gtest.h>

#include "platform/file.h"
#include "platform/fileops.h"
#include "support/host.h"
#include "support/tempdir.h"

namespace {

using testsupport::OnHost;
using testsupport::TempDir;

const char kIni[] =
    "; a comment = not a key\r\n"
    "[Game1]\r\n"
    "GameTitle = Quake  \r\n"
    "GameExe=quake.exe\r\n"
    "Quoted = \"  spaced  \"\r\n"
    "Half = \"open\r\n"
    "Single = ' x '\r\n"
    "Mixed = 'x\"\r\n"
    "Empty =\r\n"
    "no equals sign here\r\n"
    ";GameVcg=commented.vcg\r\n"
    "  Indented = yes\r\n"
    "[ Game2 ]\r\n"
    "GameTitle=Duke\r\n"
    "[game1]\r\n"
    "GameVcg=second-section.vcg\r\n"
    "[Game4]\rGameTitle=Lone CR\rGameExe=cr.exe\r"
    "  [Game5]\r\n"
    "GameTitle=Indented section\r\n";

TEST(Profile, GetStringRules) {
  TempDir t;
  t.Write("games.ini", kIni);
  const std::string file = t.Host("games.ini");
  struct Case {
    const char* section;
    const char* key;
    const char* def;
    std::size_t size;
    std::string expected;
  } cases[] = {
      {"Game1", "GameTitle", "", 80, "Quake"},        // blanks at both ends dropped
      {"GAME1", "gameexe", "", 80, "quake.exe"},      // names compare without case
      {"Game1", "Quoted", "", 80, "  spaced  "},      // quotes go, inner blanks stay
      {"Game1", "Half", "", 80, "\"open"},            // an unbalanced quote stays
      {"Game1", "Empty", "dflt", 80, ""},             // present but empty is not missing
      {"Game1", "GameVcg", "none", 80, "none"},       // comment line is not a key
      {"Game1", "no equals sign here", "d", 80, "d"}, // a line without = is not a key
      {"Game1", "Indented", "", 80, "yes"},
      {"Game2", "GameTitle", "", 80, "Duke"},         // blanks inside brackets
      {"Game3", "GameTitle", "", 80, ""},
      {"Game1", "GameTitle", "", 4, "Qua"},           // cut to the buffer less one
      {"Game1", "Missing", "LongDefault", 5, "Long"}, // the default is cut too
      {"Game1", "GameTitle", "", 1, ""},
      {"Game1", "Missing", "dflt  ", 80, "dflt"},     // a default loses trailing blanks
      {"Game1", "Missing", "  dflt", 80, "  dflt"},   // but not leading ones
      {"Game1", "Single", "", 80, " x "},             // single quotes go as double ones do
      {"Game1", "Mixed", "", 80, "'x\""},              // only a matching pair goes
      {" Game1 ", " GameExe ", "", 80, "quake.exe"},  // blanks around requested names
      {"Game4", "GameTitle", "", 80, "Lone CR"},      // a lone CR ends a line
      {"Game4", "GameExe", "", 80, "cr.exe"},
      {"Game5", "GameTitle", "", 80, "Indented section"},  // blanks before "["
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::GetPrivateProfileString(c.section, c.key, c.def, c.size, file), c.expected)
        << c.section << "/" << c.key;
  }
  EXPECT_EQ(platform::GetPrivateProfileString("Game1", "GameTitle", "def", 80, t.Host("none.ini")),
            "def");
}

TEST(Profile, GetIntTakesTheLeadingDecimalNumber) {
  TempDir t;
  t.Write("t.ini",
          "[S]\nA=42A\nB=-7\nC=B4\nD=\nE= 12 \nF=+3\nG=99999999999\nH=-\n"
          "W1=4294967297\nW0=4294967296\nWn=-4294967297\nWx=42A94967297\nWb=B4294967297\n"
          "Wp=+1\nWm=2147483648\n");
  struct Case {
    const char* key;
    int expected;
  } cases[] = {{"A", 42}, {"B", -7}, {"C", 0},  {"D", 5},          {"E", 12},
               {"F", 3},  {"H", 0},  {"Missing", 5}, {"G", 1215752191},
               // beyond 32 bits the number wraps modulo 2^32
               {"W1", 1}, {"W0", 0}, {"Wn", -1}, {"Wx", 42}, {"Wb", 0}, {"Wp", 1},
               {"Wm", -2147483647 - 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(platform::GetPrivateProfileInt("S", c.key, 5, t.Host("t.ini")), c.expected) << c.key;
  }
  EXPECT_EQ(platform::GetPrivateProfileInt("S", "A", 2, t.Host("missing.ini")), 2);
}

TEST(Profile, WritesChangeOnlyTheirOwnLine) {
  struct Case {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
    // What the system's own function leaves, where it differs. It writes
    // the whole file anew in its own layout: no blank line before a section
    // it adds, every line ended by CR LF. Both read back alike; the rule
    // here is to keep every other byte of a file the user or another
    // program wrote, so the Linux writer's answer is the one we hold to.
    std::string win32 = {};
  } cases[] = {
      {"replace in place, keeping the stored name", "; top\r\n[A]\r\nx = 1 \r\ny=2\r\n[B]\r\nx=3\r\n",
       "a", "X", "9", "; top\r\n[A]\r\nx=9\r\ny=2\r\n[B]\r\nx=3\r\n"},
      {"add key after the section's last line", "[A]\r\nx=1\r\n\r\n[B]\r\nz=3\r\n", "A", "new", "v",
       "[A]\r\nx=1\r\nnew=v\r\n\r\n[B]\r\nz=3\r\n", "[A]\r\nx=1\r\nnew=v\r\n[B]\r\nz=3\r\n"},
      {"add key to an empty last section", "[A]\r\nx=1\r\n[B]", "B", "k", "v",
       "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
      {"add section at the end", "[A]\r\nx=1\r\n", "Games", "Current", "quake.vcg",
       "[A]\r\nx=1\r\n\r\n[Games]\r\nCurrent=quake.vcg\r\n",
       "[A]\r\nx=1\r\n[Games]\r\nCurrent=quake.vcg\r\n"},
      {"file without final line end", "[A]\nx=1", "C", "k", "v",
       "[A]\nx=1\r\n\r\n[C]\r\nk=v\r\n", "[A]\r\nx=1\r\n[C]\r\nk=v\r\n"},
      {"bare LF lines are kept", "[A]\nx=1\ny=2\n", "A", "y", "5", "[A]\nx=1\ny=5\n",
       "[A]\r\nx=1\r\ny=5\r\n"},
      {"commented key is not replaced", "[A]\r\n;x=1\r\n", "A", "x", "2",
       "[A]\r\n;x=1\r\nx=2\r\n"},
      {"create a missing file", "", "Defaults", "ShowJoystick", "0",
       "[Defaults]\r\nShowJoystick=0\r\n"},
      {"lone CR lines are lines", "[A]\rx=1\r", "a", "x", "2", "[A]\rx=2\r", "[A]\r\nx=2\r\n"},
      {"a byte-order mark before the first section", "\xEF\xBB\xBF[A]\r\nx=1\r\n", "A", "x", "2",
       "\xEF\xBB\xBF[A]\r\nx=2\r\n"},
      // Wine's writer keeps a new key's trailing blanks ("y =2"); every
      // reader drops them, so the name without them is the one to store.
      {"blanks around the names asked for", "[A]\r\nx=1\r\n", " A ", " y ", "2",
       "[A]\r\nx=1\r\ny=2\r\n", "[A]\r\nx=1\r\ny =2\r\n"},
  };
  for (const auto& c : cases) {
    TempDir t;
    if (!c.before.empty()) t.Write("f.ini", c.before);
    EXPECT_TRUE(platform::WritePrivateProfileString(c.section, c.key, c.value, t.Host("f.ini")))
        << c.name;
    EXPECT_EQ(t.Read("f.ini"), c.win32.empty() ? c.after : OnHost(c.after, c.win32)) << c.name;
    EXPECT_EQ(platform::GetPrivateProfileString(c.section, c.key, "?", 260, t.Host("f.ini")),
              c.value)
        << c.name;
  }
}

TEST(Profile, FailedWritesLeaveTheFileAsItWas) {
  TempDir t;
  EXPECT_FALSE(platform::WritePrivateProfileString("A", "x", "2", t.Host("nofolder/f.ini")));
  // The read-only attribute is a permission bit to Wine, which root writes
  // through, and the full disk is injected into our own writer only.
  if (testsupport::kWin32Host) GTEST_SKIP() << "read-only and full-disk rows are the Linux writer's";
  t.Write("ro.ini", "[A]\r\nx=1\r\n");
  ASSERT_TRUE(platform::SetReadOnly(t.Host("ro.ini"), true));
  EXPECT_FALSE(platform::WritePrivateProfileString("A", "x", "2", t.Host("ro.ini")));
  EXPECT_EQ(t.Read("ro.ini"), "[A]\r\nx=1\r\n");

  t.Write("full.ini", "[A]\r\nx=1\r\n");
  platform::testing::FailWritesAfter(3);
  EXPECT_FALSE(platform::WritePrivateProfileString("A", "x", "2", t.Host("full.ini")));
  platform::testing::FailWritesAfter(-1);
  EXPECT_EQ(t.Read("full.ini"), "[A]\r\nx=1\r\n");
}

}  // namespace
