#include "platform/file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <vector>

#include "platform/fileops.h"
#include "platform/profile.h"
#include "support/tempdir.h"

namespace {

using platform::File;
using platform::OpenMode;
using testsupport::TempDir;

std::vector<std::string> ReadLines(const std::string& path, std::size_t limit,
                                   OpenMode mode = OpenMode::ReadText) {
  File f;
  EXPECT_TRUE(f.Open(path, mode));
  std::vector<std::string> lines;
  std::string line;
  while (f.ReadLine(line, limit)) lines.push_back(line);
  return lines;
}

TEST(TextFile, LineReadsTranslateLineEndsAndSplitLongLines) {
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t limit;
    std::vector<std::string> lines;
  } cases[] = {
      {"crlf", "a\r\nbc\r\n", 254, {"a\n", "bc\n"}},
      {"bare lf", "a\nbc\n", 254, {"a\n", "bc\n"}},
      {"no final line end", "a\r\nlast", 254, {"a\n", "last"}},
      {"lone cr stays", "a\rb\r\n", 254, {"a\rb\n"}},
      {"long line comes back in pieces", "abcdefgh\r\nx\r\n", 3, {"abc", "def", "gh\n", "x\n"}},
      {"line exactly at the limit", "abc\r\n", 3, {"abc", "\n"}},
      {"empty file", "", 254, {}},
      {"nul bytes are data", std::string("a\0b\r\n", 5), 254, {std::string("a\0b\n", 4)}},
  };
  for (const auto& c : cases) {
    TempDir t;
    t.Write("f.txt", c.bytes);
    EXPECT_EQ(ReadLines(t.Host("f.txt"), c.limit), c.lines) << c.name;
  }
}

TEST(TextFile, BinaryModeKeepsCarriageReturns) {
  TempDir t;
  t.Write("f.bin", "a\r\nb");
  EXPECT_EQ(ReadLines(t.Host("f.bin"), 254, OpenMode::ReadBinary),
            (std::vector<std::string>{"a\r\n", "b"}));
}

TEST(TextFile, WritesCrLfAndReadsBackTheSameText) {
  TempDir t;
  const std::string text = "VERSION = 4.1\n\nline with \"quotes\"\nlast\n";
  {
    File f(t.Host("out.txt"), OpenMode::WriteText);
    ASSERT_TRUE(f.IsOpen());
    EXPECT_TRUE(f.Write(text));
    EXPECT_TRUE(f.Close());
  }
  EXPECT_EQ(t.Read("out.txt"), "VERSION = 4.1\r\n\r\nline with \"quotes\"\r\nlast\r\n");
  File in(t.Host("out.txt"), OpenMode::ReadText);
  std::string back;
  for (int c; (c = in.GetChar()) != File::kEof;) back += static_cast<char>(c);
  EXPECT_EQ(back, text);
}

TEST(TextFile, PrintfFormatsLikeTheCRuntime) {
  TempDir t;
  File f(t.Host("p.txt"), OpenMode::WriteText);
  f.Printf("%s = %f\n", "TX_MINIMUM", -512.0);
  f.Printf("%-4s = %s\n", "TX+", "FIRE");
  f.Printf("0x%lx\n", 0xdeadbeefUL);
  f.Printf("%s", std::string(2000, 'z').c_str());
  ASSERT_TRUE(f.Close());
  EXPECT_EQ(t.Read("p.txt"),
            "TX_MINIMUM = -512.000000\r\nTX+  = FIRE\r\n0xdeadbeef\r\n" + std::string(2000, 'z'));
}

TEST(TextFile, TellAndSeekAreByteOffsets) {
  TempDir t;
  t.Write("f.txt", "ab\r\ncd\r\n");
  File f(t.Host("f.txt"), OpenMode::ReadText);
  std::string line;
  ASSERT_TRUE(f.ReadLine(line, 254));
  EXPECT_EQ(f.Tell(), 4);  // "ab\r\n" is four bytes on disk
  ASSERT_TRUE(f.ReadLine(line, 254));
  EXPECT_EQ(line, "cd\n");
  EXPECT_TRUE(f.Seek(4));
  ASSERT_TRUE(f.ReadLine(line, 254));
  EXPECT_EQ(line, "cd\n");
  EXPECT_FALSE(f.Seek(99));
  f.Rewind();
  EXPECT_EQ(f.GetChar(), 'a');
}

TEST(TextFile, OpenFailuresAreReportedNotFatal) {
  TempDir t;
  File f;
  EXPECT_FALSE(f.Open(t.Host("missing.txt"), OpenMode::ReadText));
  EXPECT_FALSE(f.Open(t.Host("no/such/folder/x.txt"), OpenMode::WriteText));
  EXPECT_FALSE(f.Open(t.path(), OpenMode::ReadText));  // a folder
  t.Write("ro.txt", "keep");
  ASSERT_TRUE(platform::SetReadOnly(t.Host("ro.txt"), true));
  EXPECT_FALSE(f.Open(t.Host("ro.txt"), OpenMode::WriteText));
  EXPECT_EQ(t.Read("ro.txt"), "keep");
  std::string line;
  EXPECT_FALSE(f.ReadLine(line, 10));
}

// A replacing write that fails keeps the old file and leaves no temporary;
// temporaries killed writers left a while ago go with the next write.
TEST(TextFile, AFailedReplacingWriteLeavesTheOldFile) {
  using platform::FileError;
  struct Case {
    const char* what;
    std::function<void()> fault;
    FileError error;
  } cases[] = {
      {"the disk fills up midway", [] { platform::testing::FailWritesAfter(100); }, FileError::DiskFull},
      // The size limit's signal would end this process instead.
      {"over the file size limit",
       [] {
         rlimit limit{};
         ::getrlimit(RLIMIT_FSIZE, &limit);
         limit.rlim_cur = 100;
         ::setrlimit(RLIMIT_FSIZE, &limit);
       },
       FileError::SizeLimit},
      {"a killed writer's temporary", [] {}, FileError::None},
  };
  rlimit unlimited{};
  ::getrlimit(RLIMIT_FSIZE, &unlimited);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir t;
    t.Write("cfg.vcg", "old contents\r\n");
    t.Write(".tandrix-Stale1", "left by a killed writer");
    t.Write(".tandrix-Fresh1", "a writer at work");
    t.Write(".tandrix-other", "not a temporary of ours");
    const timespec old[2] = {{std::time(nullptr) - 2 * platform::kStaleTemporarySeconds, 0},
                             {std::time(nullptr) - 2 * platform::kStaleTemporarySeconds, 0}};
    ::utimensat(AT_FDCWD, t.Host(".tandrix-Stale1").c_str(), old, 0);
    ::utimensat(AT_FDCWD, t.Host(".tandrix-other").c_str(), old, 0);
    platform::testing::ForgetCleanedFolders();
    File f(t.Host("cfg.vcg"), OpenMode::WriteText);
    ASSERT_TRUE(f.IsOpen());
    f.Write(std::string(10000, 'n'));
    c.fault();
    EXPECT_EQ(f.Close(), c.error == FileError::None);
    platform::testing::FailWritesAfter(-1);
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    EXPECT_EQ(platform::LastFileError(), c.error);
    EXPECT_EQ(t.Read("cfg.vcg").size(), c.error == FileError::None ? 10000u : 14u);
    auto left = platform::FindFiles(t.Host("*"));
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".tandrix-Fresh1", ".tandrix-other", "cfg.vcg"}));
  }
}

TEST(TextFile, AppendAddsToTheEndAndCreatesTheFile) {
  TempDir t;
  for (int i = 0; i < 2; ++i) {
    File f(t.Host("error.log"), OpenMode::AppendText);
    ASSERT_TRUE(f.IsOpen());
    f.Printf("line %d\n", i);
    EXPECT_TRUE(f.Close());
  }
  EXPECT_EQ(t.Read("error.log"), "line 0\r\nline 1\r\n");
}

// Where a file is expected, a FIFO, a device, a folder or a huge file is
// refused at once with its reason, and nothing is written over it.
TEST(SpecialFiles, AreRefusedWithoutBlockingAndKeptAsTheyAre) {
  TempDir t;
  ASSERT_EQ(::mkfifo(t.Host("fifo").c_str(), 0644), 0);
  {
    File big(t.Host("big"), OpenMode::WriteBinary);
    ASSERT_TRUE(big.Close());
    ASSERT_EQ(::truncate(t.Host("big").c_str(), platform::kMaxFileBytes + 1), 0);  // sparse
  }
  t.Write("dir/.keep", "");
  using platform::FileError;
  struct Case {
    std::string path;
    FileError error;
  } cases[] = {{t.Host("fifo"), FileError::NotRegular},
               {"/dev/zero", FileError::NotRegular},
               {t.Host("dir"), FileError::NotRegular},
               {t.Host("big"), FileError::TooLarge}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string bytes;
    EXPECT_FALSE(platform::ReadWholeFile(c.path, bytes));
    EXPECT_EQ(platform::LastFileError(), c.error);
    File f;
    EXPECT_FALSE(f.Open(c.path, OpenMode::ReadText));
    EXPECT_EQ(platform::LastFileError(), c.error);
    platform::PrivateProfile ini(c.path);
    EXPECT_FALSE(ini.Readable());
    EXPECT_EQ(platform::GetPrivateProfileString("A", "k", "def", 80, c.path), "def");
    if (c.path.starts_with("/dev")) continue;  // never write to the machine's devices
    EXPECT_FALSE(platform::WritePrivateProfileString("A", "k", "v", c.path));
    EXPECT_EQ(platform::LastFileError(), c.error);
    if (c.error == FileError::TooLarge) continue;  // replacing it whole is fine
    EXPECT_FALSE(f.Open(c.path, OpenMode::WriteText));
    EXPECT_FALSE(platform::WriteWholeFile(c.path, "x"));
  }
  struct stat st;
  ASSERT_EQ(::lstat(t.Host("fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  // A log that is a FIFO nobody reads fails at once instead of waiting.
  File log;
  EXPECT_FALSE(log.Open(t.Host("fifo"), OpenMode::AppendText));
}

}  // namespace
