#include "platform/dospath.h"

#include <gtest/gtest.h>

#include "support/tempdir.h"

namespace {

using testsupport::ScopedCwd;
using testsupport::ScopedEnv;
using testsupport::TempDir;

TEST(DosPath, HostPathsTurnIntoDriveZ) {
  ScopedEnv drives("TANDRIX_DRIVES", nullptr);
  struct Case {
    const char* host;
    const char* dos;
  } cases[] = {
      {"/", "Z:\\"},
      {"/home/ann/tandrix", "Z:\\home\\ann\\tandrix"},
      {"/home/ann/tandrix/", "Z:\\home\\ann\\tandrix"},
      {"/a/./b/../c", "Z:\\a\\c"},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::ToDosPath(c.host), c.dos) << c.host;
}

TEST(DosPath, MappedDrivesWinOverZAndLongestMappingWins) {
  TempDir t;
  std::string table = "C=" + t.path() + ";D=" + t.path() + "/games;x=relative/ignored";
  ScopedEnv drives("TANDRIX_DRIVES", table.c_str());
  EXPECT_EQ(platform::ToDosPath(t.path() + "/windows"), "C:\\windows");
  EXPECT_EQ(platform::ToDosPath(t.path() + "/games/quake"), "D:\\quake");
  EXPECT_EQ(platform::ToDosPath(t.path()), "C:\\");
  EXPECT_EQ(platform::ToHostPath("c:\\windows").value(), t.path() + "/windows");
  EXPECT_EQ(platform::ToHostPath("D:/quake/q95.bat").value(), t.path() + "/games/quake/q95.bat");
  EXPECT_FALSE(platform::ToHostPath("X:\\anything").has_value());
  EXPECT_FALSE(platform::ToHostPath("Q:\\anything").has_value());
  EXPECT_FALSE(platform::ToHostPath("").has_value());
}

TEST(DosPath, ResolvesExistingComponentsWithoutRegardToCase) {
  TempDir t;
  t.Write("Defaults/Joy3D.vcg", "x");
  t.Write("games.ini", "y");
  ScopedCwd cwd(t.path());
  struct Case {
    const char* dos;
    std::string host;
  } cases[] = {
      {"games.ini", t.path() + "/games.ini"},
      {"Games.INI", t.path() + "/games.ini"},
      {"defaults\\joy3d.VCG", t.path() + "/Defaults/Joy3D.vcg"},
      {"DEFAULTS/JOY3D.VCG", t.path() + "/Defaults/Joy3D.vcg"},
      {".\\defaults\\..\\games.ini", t.path() + "/games.ini"},
      // A new file keeps the case it was given; its folder is still found.
      {"DEFAULTS\\New.vcg", t.path() + "/Defaults/New.vcg"},
      {"missing\\Sub\\File.TXT", t.path() + "/missing/Sub/File.TXT"},
  };
  for (const auto& c : cases) {
    auto host = platform::ToHostPath(c.dos);
    ASSERT_TRUE(host.has_value()) << c.dos;
    EXPECT_EQ(*host, c.host) << c.dos;
  }
}

TEST(DosPath, RelativeAndRootedPathsStartFromTheCurrentDirectory) {
  TempDir t;
  t.Write("sub/file.txt", "x");
  ScopedEnv drives("TANDRIX_DRIVES", nullptr);
  ScopedCwd cwd(t.path() + "/sub");
  std::string dosCwd = platform::CurrentDirectory();
  EXPECT_EQ(dosCwd, platform::ToDosPath(t.path() + "/sub"));
  EXPECT_EQ(dosCwd.substr(0, 3), "Z:\\");
  EXPECT_EQ(platform::ToHostPath("file.txt").value(), t.path() + "/sub/file.txt");
  EXPECT_EQ(platform::ToHostPath("..\\sub\\FILE.txt").value(), t.path() + "/sub/file.txt");
  EXPECT_EQ(platform::ToHostPath(dosCwd + "\\file.txt").value(), t.path() + "/sub/file.txt");
  // "\x" is the root of the current drive, which is the host root for Z:.
  EXPECT_EQ(platform::ToHostPath("\\tmp").value(), "/tmp");
  EXPECT_EQ(platform::ToHostPath("Z:tmp\\x").value(), t.path() + "/sub/tmp/x");
  // ".." never climbs above the drive root.
  EXPECT_EQ(platform::ToHostPath("Z:\\..\\..\\tmp").value(), "/tmp");
}

TEST(DosPath, CurrentDirectoryOnAMappedDrive) {
  TempDir t;
  t.Write("windows/win.ini", "x");
  std::string table = "C=" + t.path();
  ScopedEnv drives("TANDRIX_DRIVES", table.c_str());
  ScopedCwd cwd(t.path() + "/windows");
  EXPECT_EQ(platform::CurrentDirectory(), "C:\\windows");
  EXPECT_EQ(platform::ToHostPath("\\windows\\WIN.INI").value(), t.path() + "/windows/win.ini");
  EXPECT_TRUE(platform::SetCurrentDirectory("C:\\"));
  EXPECT_EQ(platform::CurrentDirectory(), "C:\\");
}

TEST(DosPath, CaseHelpers) {
  EXPECT_TRUE(platform::EqualsNoCase("Quake.EXE", "quake.exe"));
  EXPECT_FALSE(platform::EqualsNoCase("quake.exe", "quake.ex"));
  EXPECT_EQ(platform::ToLowerAscii("AbC\xC4"), "abc\xC4");
  EXPECT_EQ(platform::ToUpperAscii("horizontal"), "HORIZONTAL");
  EXPECT_TRUE(platform::IsAbsoluteDosPath("C:\\x"));
  EXPECT_TRUE(platform::IsAbsoluteDosPath("\\x"));
  EXPECT_FALSE(platform::IsAbsoluteDosPath("C:x"));
  EXPECT_FALSE(platform::IsAbsoluteDosPath("defaults\\x"));
}

}  // namespace
