#include "platform/fileops.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <clocale>
#include <regex>

#include "platform/clock.h"
#include "platform/errorlog.h"
#include "platform/file.h"
#include "support/tempdir.h"

namespace {

using testsupport::ScopedCwd;
using testsupport::TempDir;

TEST(FileOps, CopyRespectsFailIfExists) {
  TempDir t;
  t.Write("src.vcg", "new");
  t.Write("dst.vcg", "old");
  EXPECT_FALSE(platform::CopyFile(t.Host("src.vcg"), t.Host("dst.vcg"), true));
  EXPECT_EQ(t.Read("dst.vcg"), "old");
  EXPECT_TRUE(platform::CopyFile(t.Host("SRC.vcg"), t.Host("dst.vcg"), false));
  EXPECT_EQ(t.Read("dst.vcg"), "new");
  EXPECT_TRUE(platform::CopyFile(t.Host("src.vcg"), t.Host("fresh.vcg"), true));
  EXPECT_EQ(t.Read("fresh.vcg"), "new");
  EXPECT_FALSE(platform::CopyFile(t.Host("missing"), t.Host("x"), false));
  EXPECT_FALSE(platform::CopyFile(t.Host("src.vcg"), t.Host("nofolder/x"), false));
}

TEST(FileOps, DeleteRenameAndReadOnly) {
  TempDir t;
  t.Write("a.txt", "a");
  t.Write("b.txt", "b");
  EXPECT_FALSE(platform::MoveFile(t.Host("a.txt"), t.Host("B.TXT")));  // target exists
  EXPECT_TRUE(platform::MoveFile(t.Host("a.txt"), t.Host("c.txt")));
  EXPECT_FALSE(t.Exists("a.txt"));
  EXPECT_EQ(t.Read("c.txt"), "a");

  bool ro = true;
  ASSERT_TRUE(platform::GetReadOnly(t.Host("c.txt"), ro));
  EXPECT_FALSE(ro);
  ASSERT_TRUE(platform::SetReadOnly(t.Host("c.txt"), true));
  ASSERT_TRUE(platform::GetReadOnly(t.Host("c.txt"), ro));
  EXPECT_TRUE(ro);
  EXPECT_FALSE(platform::DeleteFile(t.Host("c.txt")));  // read-only files stay
  ASSERT_TRUE(platform::SetReadOnly(t.Host("c.txt"), false));
  EXPECT_TRUE(platform::DeleteFile(t.Host("C.txt")));
  EXPECT_FALSE(t.Exists("c.txt"));
  EXPECT_FALSE(platform::DeleteFile(t.Host("c.txt")));
  EXPECT_FALSE(platform::GetReadOnly(t.Host("c.txt"), ro));
}

TEST(FileOps, WildcardSearch) {
  TempDir t;
  for (const char* n : {"quake.vcg", "Duke.VCG", "notes.txt", "vcg", "a.vcg.bak"}) t.Write(n, "x");
  t.Write("dir.vcg/inner", "x");  // folders are not files
  ScopedCwd cwd(t.path());
  auto names = platform::FindFiles(t.Dos() + "\\*.vcg");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Duke.VCG", "quake.vcg"}));
  EXPECT_EQ(platform::FindFiles("*.TXT"), std::vector<std::string>{"notes.txt"});
  EXPECT_TRUE(platform::FindFiles(t.Dos() + "\\nosuchdir\\*.vcg").empty());

  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {{"*.vcg", "A.VCG", true}, {"q?ake.*", "quake.exe", true}, {"*", "", true},
               {"*.vcg", "vcg", false},  {"a*b*c", "aXbYc", true},       {"a*b*c", "aXbY", false},
               {"?", "", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(platform::MatchWildcard(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
  }
}

TEST(Clock, FixedFormInEveryLocale) {
  std::tm t{};
  t.tm_year = 97;
  t.tm_mon = 2;
  t.tm_mday = 6;
  t.tm_hour = 5;
  t.tm_min = 0;
  t.tm_sec = 7;
  t.tm_wday = 4;
  EXPECT_EQ(platform::FormatTime24(t), "Thu Mar  6 05:00:07 1997");

  const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
  if (german == nullptr) GTEST_SKIP() << "de_DE.UTF-8 locale not generated on this machine";
  t.tm_mday = 26;
  t.tm_wday = 3;
  t.tm_hour = 15;
  t.tm_min = 50;
  t.tm_sec = 37;
  std::string s = platform::FormatTime24(t);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(s, "Wed Mar 26 15:50:37 1997");
  EXPECT_EQ(platform::LocalTime24().size(), 24u);
}

TEST(ErrorLog, AppendsOneLinePerFailureAndSurvivesAnUnwritableLog) {
  TempDir t;
  ASSERT_TRUE(platform::AppendErrorLog(t.Host("error.log"),
                                       "Driver failed to load configuration file defaults\\x.vcg"));
  ASSERT_TRUE(platform::AppendErrorLog(t.Host("error.log"), "Tandrix not selected as the Joystick"));
  std::string log = t.Read("error.log");
  std::regex line(
      "Win95: Driver failed to load configuration file defaults\\\\x\\.vcg: "
      "[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}\r\n"
      "Win95: Tandrix not selected as the Joystick: [^\r\n]{24}\r\n");
  EXPECT_TRUE(std::regex_match(log, line)) << log;

  t.Write("ro.log", "");
  ASSERT_TRUE(platform::SetReadOnly(t.Host("ro.log"), true));
  EXPECT_FALSE(platform::AppendErrorLog(t.Host("ro.log"), "x"));
  EXPECT_FALSE(platform::AppendErrorLog(t.Host("no/folder/error.log"), "x"));
  EXPECT_EQ(t.Read("ro.log"), "");
}

}  // namespace

namespace {

// Writes of any size go in pieces: a head, then a source's bytes from an
// offset; a source that is no regular file leaves the target as it was.
TEST(FileOps, SplicedReplaceAndHeadReadAndLargeCopies) {
  testsupport::TempDir dir;
  const std::string big(17 * 1024 * 1024 + 5, 'b');
  struct Case {
    const char* what;
    std::string head;
    std::string src;  // relative to dir; "" for target itself
    std::int64_t offset;
    bool ok;
    std::string result;
  } cases[] = {
      {"head then the tail", "HEAD", "src", 2, true, "HEAD2345"},
      {"offset past the end", "HEAD", "src", 40, true, "HEAD"},
      {"the target as its own source", "XY", "", 2, true, "XYrget"},
      {"no source", "HEAD", "missing", 0, false, "target"},
      {"a FIFO as source", "HEAD", "fifo", 0, false, "target"},
      {"a folder as source", "HEAD", "folder", 0, false, "target"},
  };
  dir.Write("src", "012345");
  dir.Write("folder/x", "");
  ::mkfifo(dir.Host("fifo").c_str(), 0644);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    dir.Write("target", "target");
    const std::string src = c.src.empty() ? dir.Host("target") : dir.Host(c.src);
    EXPECT_EQ(platform::ReplaceFileSpliced(dir.Host("target"), c.head, src, c.offset), c.ok);
    EXPECT_EQ(dir.Read("target"), c.result);
  }

  std::string head;
  EXPECT_TRUE(platform::ReadFileHead(dir.Host("src"), 4, head));
  EXPECT_EQ(head, "0123");
  EXPECT_TRUE(platform::ReadFileHead(dir.Host("src"), 40, head));
  EXPECT_EQ(head, "012345");
  EXPECT_FALSE(platform::ReadFileHead(dir.Host("fifo"), 4, head));
  EXPECT_FALSE(platform::ReadFileHead(dir.Host("missing"), 4, head));

  // Larger than any file read whole.
  dir.Write("big", big);
  ASSERT_TRUE(platform::CopyFile(dir.Host("big"), dir.Host("copy"), false));
  EXPECT_TRUE(dir.Read("copy") == big);
}

}  // namespace
