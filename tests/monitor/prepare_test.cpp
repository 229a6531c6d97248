#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "fakes.h"
#include "monitor/prepare.h"
#include "monitor/strings.h"
#include "platform/dospath.h"
#include "platform/profile.h"
#include "support/tempdir.h"
#include "tuning/mva_config.h"

namespace {

using montest::Crlf;
using montest::RecordingHost;
using testsupport::ScopedCwd;
using testsupport::TempDir;

TEST(NextWord, WordsQuotesAndRest) {
  struct Case {
    std::string text, word, rest;
  };
  const Case cases[] = {
      {"a b", "a", "b"},
      {"\"my file.ini\" key", "my file.ini", "key"},
      {"word", "word", ""},
      {"", "", ""},
      {" lead", "", "lead"},
      {"cfg.ini key  two blanks", "cfg.ini", "key  two blanks"},
      {"key  two blanks", "key", " two blanks"},
      {"\"a  b\"", "a ", "b\""},          // a second blank ends a word, quoted or not
      {"\" x\" y", " x", "y"},            // a blank right after the opening quote
      {"\"Program Files\\x.ini\"", "Program Files\\x.ini", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    WordSplit s = NextWord(c.text);
    EXPECT_EQ(s.word, c.word);
    EXPECT_EQ(s.rest, c.rest);
  }
}

TEST(StaysInGameDirectory, RefusesEveryWayOut) {
  struct Case {
    const char* path;
    bool inside;
  };
  const Case cases[] = {
      {"config.cfg", true},   {"sub\\data.pak", true},  {"sub/data.pak", true},
      {"..x\\y", true},       {"a..b", true},           {".\\here.cfg", true},
      {"", false},            {"..\\evil.ini", false},  {"sub\\..\\..\\evil", false},
      {"sub/../x", false},    {"..", false},            {"C:\\autoexec.bat", false},
      {"c:config.sys", false}, {"\\windows\\win.ini", false}, {"/etc/passwd", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StaysInGameDirectory(c.path), c.inside) << c.path;
  }
}

class PrepareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("games/.keep", "");
    dir.Write("quake/.keep", "");
    work = platform::CurrentDirectory();
    quakeDos = work + "\\quake\\";
    batch = work + "\\games\\mvabat.bat";
  }
  std::string ExpectedMvabat() const {
    return Crlf(work + "\\tdx95off.exe\ncall " + work + "\\tdxload\n" + work +
                "\\games\\mvaquake -dir " + work + "\\quake -vxconfig " + work +
                "\\games\\mvaquake.vcg %1 %2 %3 %4 %5 %6 %7 %8 %9\n" + work + "\\tdx95on.exe\n");
  }
  std::string ExpectedQ95(const std::string& launch) const {
    return Crlf(launch +
                "REM To remove Tandrix support:\n"
                "REM Replace the path and filename of the \"mvabat.bat\" with quake.exe in the "
                "line below\n");
  }

  TempDir dir;
  ScopedCwd cwd{dir.path()};
  RecordingHost host;
  std::string work, quakeDos, batch;
};

TEST_F(PrepareTest, QuakeBatchIsRewrittenAroundTheLaunchLine) {
  const std::string original =
      "@echo off\r\nREM start Quake\r\nstart  C:\\Quake\\QLAUNCH Quake.exe -nocd +exec x.cfg\r\n"
      "echo done\r\n";
  dir.Write("quake/q95.bat", original);
  PrepareQuakeBatch(quakeDos, host);

  // The first two words in lower case, the game program replaced by our
  // batch file, the rest of the line and its line end, then the two notes.
  EXPECT_EQ(dir.Read("quake/q95.bat"),
            ExpectedQ95("start  c:\\quake\\qlaunch " + batch + " -nocd +exec x.cfg\n\n"));
  EXPECT_EQ(dir.Read("quake/q95.mva"), original);
  EXPECT_EQ(dir.Read("games/mvabat.bat"), ExpectedMvabat());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].textId, kIdsQuakeBatch);
  EXPECT_EQ(host.messages[0].text, MonitorString(kIdsQuakeBatch));
  EXPECT_EQ(host.messages[0].caption, "Tandrix");
  EXPECT_EQ(host.messages[0].style, kMbOk);
}

TEST_F(PrepareTest, QuakeBatchStates) {
  struct Case {
    const char* name;
    bool q95;             // q95.bat present
    bool prepared;        // q95.bat already names our batch file (other case)
    bool mvabat;          // mvabat.bat present
    bool q95Rewritten;
    bool mvabatWritten;
    bool message;
  };
  const Case cases[] = {
      {"prepared and complete", true, true, true, false, false, false},
      {"prepared, batch file deleted", true, true, false, false, true, true},
      {"not prepared", true, false, true, true, true, true},
      {"no q95.bat", false, false, false, true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(dir.Host("quake/q95.bat").c_str());
    std::remove(dir.Host("quake/q95.mva").c_str());
    std::remove(dir.Host("games/mvabat.bat").c_str());
    host.messages.clear();
    std::string q95 = c.prepared
                          ? "qlaunch.exe x " + platform::ToUpperAscii(batch) + " -y\r\n"
                          : std::string("qlaunch.exe x quake.exe\r\n");
    if (c.q95) dir.Write("quake/q95.bat", q95);
    if (c.mvabat) dir.Write("games/mvabat.bat", "old");

    PrepareQuakeBatch(quakeDos, host);

    if (!c.q95Rewritten) {
      EXPECT_EQ(dir.Read("quake/q95.bat"), q95);
      EXPECT_FALSE(dir.Exists("quake/q95.mva"));
    } else if (!c.q95) {
      EXPECT_EQ(dir.Read("quake/q95.bat"), ExpectedQ95(" " + batch + "\n"));
    } else {
      EXPECT_EQ(dir.Read("quake/q95.bat"), ExpectedQ95("qlaunch.exe x " + batch + "\n\n"));
      EXPECT_EQ(dir.Read("quake/q95.mva"), q95);
    }
    EXPECT_EQ(dir.Read("games/mvabat.bat"), c.mvabatWritten ? ExpectedMvabat() : "old");
    EXPECT_EQ(host.messages.size(), c.message ? 1u : 0u);
  }
}

class ModifyTest : public ::testing::Test {
 protected:
  void SetUp() override { dir.Write("game/.keep", ""); }
  std::string Game() const { return platform::CurrentDirectory() + "\\game"; }
  TempDir dir;
  ScopedCwd cwd{dir.path()};
};

TEST_F(ModifyTest, ReplacesKeyedLinesAndKeepsTheFirstBackup) {
  const std::string original = "a=1\r\njoy=0\r\nb=2\r\njoyspeed=5\r\n";
  dir.Write("game/config.cfg", original);
  EXPECT_EQ(ModifyGameFiles({"config.cfg joy joy=1 # Tandrix"}, Game()), 1);
  EXPECT_EQ(dir.Read("game/config.cfg"), "a=1\r\njoy=1 # Tandrix\r\nb=2\r\njoy=1 # Tandrix\r\n");
  EXPECT_EQ(dir.Read("game/config.mva"), original);
  EXPECT_FALSE(dir.Exists("game/mvatemp.mva"));

  // Run again (the marker was deleted): the backup still holds the first state.
  EXPECT_EQ(ModifyGameFiles({"config.cfg b= b=3"}, Game() + "\\"), 1);
  EXPECT_EQ(dir.Read("game/config.cfg"), "a=1\r\njoy=1 # Tandrix\r\nb=3\r\njoy=1 # Tandrix\r\n");
  EXPECT_EQ(dir.Read("game/config.mva"), original);
}

TEST_F(ModifyTest, AppendsWhenNoLineStartsWithTheKey) {
  struct Case {
    const char* name;
    const char* before;  // null: no file
    const char* value;
    const char* after;
  };
  const Case cases[] = {
      {"appended last", "a=1\r\n", "x.ini Joy Joy=1", "a=1\r\nJoy=1\r\n"},
      {"key case matters", "joy=0\r\n", "x.ini Joy Joy=1", "joy=0\r\nJoy=1\r\n"},
      {"last line without line end", "a=1", "x.ini b b=2", "a=1\r\nb=2\r\n"},
      {"missing file", nullptr, "x.ini b b=2", "b=2\r\n"},
      {"quoted names keep one blank", "set  joy 0\r\n", "\"x.ini\" \"set joy\" set joy 1",
       "set  joy 0\r\nset joy 1\r\n"},
      {"bare LF lines", "a=1\nb=0\n", "x.ini b b=1", "a=1\r\nb=1\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(dir.Host("game/x.ini").c_str());
    std::remove(dir.Host("game/x.mva").c_str());
    if (c.before) dir.Write("game/x.ini", c.before);
    EXPECT_EQ(ModifyGameFiles({c.value}, Game()), 1);
    EXPECT_EQ(dir.Read("game/x.ini"), c.after);
    EXPECT_EQ(dir.Exists("game/x.mva"), c.before != nullptr);
  }
}

TEST_F(ModifyTest, ShortNamesGetTheirBackupBesideThem) {
  dir.Write("game/ab", "k=0\r\n");
  EXPECT_EQ(ModifyGameFiles({"ab k k=1"}, Game()), 1);
  EXPECT_EQ(dir.Read("game/ab.mva"), "k=0\r\n");
  EXPECT_FALSE(dir.Exists("gamemva"));
}

TEST_F(ModifyTest, RefusedEntriesChangeNothingAndAreLogged) {
  dir.Write("secret.ini", "k=0\r\n");
  dir.Write("game/keep.ini", "one\r\ntwo\r\n");
  const std::vector<std::string> values = {"..\\secret.ini k k=1", "\\secret.ini k k=1",
                                           "Z:\\secret.ini k k=1", "keep.ini",
                                           "sub\\..\\..\\secret.ini k k=1"};
  EXPECT_EQ(ModifyGameFiles(values, Game()), 0);
  EXPECT_EQ(dir.Read("secret.ini"), "k=0\r\n");
  EXPECT_EQ(dir.Read("game/keep.ini"), "one\r\ntwo\r\n");
  EXPECT_FALSE(dir.Exists("secret.mva"));
  EXPECT_FALSE(dir.Exists("game/keep.mva"));
  std::string log = dir.Read("error.log");
  int lines = 0;
  for (char ch : log) lines += ch == '\n';
  EXPECT_EQ(lines, 5);
  EXPECT_NE(log.find("Win95: Game file entry not applied: ..\\secret.ini k k=1 (outside the "
                     "game directory): "),
            std::string::npos);
  EXPECT_NE(log.find("Win95: Game file entry not applied: keep.ini (no key to replace): "),
            std::string::npos);
}

TEST_F(ModifyTest, CopiesFilesIntoTheGameDirectory) {
  dir.Write("mva.dll", "dll");
  dir.Write("data.pak", "pak");
  dir.Write("game/sub/.keep", "");
  dir.Write("game/mva.dll", "older");
  const std::string game = Game() + "\\";
  EXPECT_EQ(CopyGameFiles({"mva.dll", "sub\\data.pak", "missing.dat", "..\\escape.dll"}, game),
            1);
  EXPECT_EQ(dir.Read("game/mva.dll"), "dll");
  EXPECT_EQ(dir.Read("game/sub/data.pak"), "pak");
  EXPECT_FALSE(dir.Exists("escape.dll"));
  EXPECT_NE(dir.Read("error.log").find("..\\escape.dll (outside the game directory)"),
            std::string::npos);
  EXPECT_EQ(CopyGameFiles({}, game), 0);
  // "/" separates folders like "\\"; nothing copied asks for no restart.
  dir.Write("data2.pak", "pak2");
  EXPECT_EQ(CopyGameFiles({"sub/data2.pak"}, game), 1);
  EXPECT_EQ(dir.Read("game/sub/data2.pak"), "pak2");
  EXPECT_EQ(CopyGameFiles({"missing.dat", "nosuchdir/mva.dll"}, game), 0);
}

TEST_F(ModifyTest, MarkerFileText) {
  WriteMarkerFile(Game() + "\\");
  EXPECT_EQ(dir.Read("game/tandrix.mrk"),
            "Delete this file to have the Tandrix software auto-prepare this game\r\n"
            "for use with the Tandrix version 4.71.\r\n");
  WriteMarkerFile(Game() + "\\missing\\");  // nothing to create it in: silently nothing
  EXPECT_FALSE(dir.Exists("game/missing"));
}

// An edited game file, a rewritten configuration and an ini file stay what
// the user made them: a link stays a link (its target is written), the
// mode stays.
TEST_F(ModifyTest, RewrittenFilesKeepLinksAndModes) {
  struct Writer {
    const char* name;
    const char* file;
    std::function<bool()> write;
    const char* expect;  // text the target holds afterwards
  };
  const Writer writers[] = {
      {"Modify edit", "run.sh", [&] { return ModifyGameFiles({"run.sh joy joy=1"}, Game()) == 1; },
       "joy=1\r\n"},
      {".vcg rewrite", "g.vcg",
       [&] {
         MVA_CfgRecord r;
         return MVA_ReadCfgFile(r, 0, Game() + "\\g.vcg") == 0 &&
                MVA_WriteCfgFile(r, Game() + "\\g.vcg") == 0;
       },
       "LEVEL = EXPERT"},
      {"ini write", "t.ini",
       [&] { return platform::WritePrivateProfileString("A", "k", "v", Game() + "\\t.ini"); },
       "[A]\r\nk=v"},
  };
  for (const auto& w : writers) {
    for (mode_t mode : {mode_t{0755}, mode_t{0600}}) {
      SCOPED_TRACE(std::string(w.name) + " mode " + std::to_string(mode));
      const std::string real = dir.Host("game/real/") + w.file;
      const std::string link = dir.Host("game/") + w.file;
      std::remove(link.c_str());
      dir.Write(std::string("game/real/") + w.file,
                "VERSION = 4.0\r\nLEVEL = EXPERT\r\njoy=0\r\n[HARRIER_1]\r\n");
      ::chmod(real.c_str(), mode);
      ASSERT_EQ(::symlink(("real/" + std::string(w.file)).c_str(), link.c_str()), 0);
      ASSERT_TRUE(w.write());
      struct stat st;
      ASSERT_EQ(::lstat(link.c_str(), &st), 0);
      EXPECT_TRUE(S_ISLNK(st.st_mode));
      EXPECT_NE(dir.Read(std::string("game/real/") + w.file).find(w.expect), std::string::npos);
      ASSERT_EQ(::stat(real.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, mode);
    }
  }
}

}  // namespace
