// The service setup without its dialog: the command line, the Services
// keys, setting a game up and restoring it.
#include "service_setup/game_setup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/file.h"
#include "platform/profile.h"
#include "service_fixture.h"
#include "service_setup/command_line.h"
#include "service_setup/service_games.h"

namespace {

using svctest::Lines;

TEST(ServiceCommandLine, LeadingDigitDecidesAndOtherwiseAnyZeroRestores) {
  struct Case {
    const char* line;
    SetupMode mode;
    Service service;
  } cases[] = {
      {"1 ten.exe", SetupMode::kSetup, Service::kTen},
      {"0 ten.exe", SetupMode::kRestore, Service::kTen},
      {"1 ewrap.exe", SetupMode::kSetup, Service::kEngage},
      {"0 ewrap.exe", SetupMode::kRestore, Service::kEngage},
      {"1 notepad.exe", SetupMode::kSetup, Service::kNone},
      // The name is matched in exact case.
      {"1 TEN.EXE", SetupMode::kSetup, Service::kNone},
      // A "0" in the name does not turn the monitor's "1" into a restore.
      {"1 C:\\ten0\\ten.exe", SetupMode::kSetup, Service::kTen},
      {"0 C:\\ten0\\ten.exe", SetupMode::kRestore, Service::kTen},
      // Not the monitor's form: a "0" anywhere still restores.
      {"C:\\games0\\ten.exe", SetupMode::kRestore, Service::kTen},
      {"10 ten.exe", SetupMode::kRestore, Service::kTen},
      {"ten.exe", SetupMode::kSetup, Service::kTen},
      {"  1   ewrap.exe ", SetupMode::kSetup, Service::kEngage},
      {"", SetupMode::kNoCommandLine, Service::kNone},
      {" \t ", SetupMode::kNoCommandLine, Service::kNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ServiceCommand cmd = ParseServiceCommand(c.line);
    EXPECT_EQ(cmd.mode, c.mode);
    EXPECT_EQ(cmd.service, c.service);
  }
  EXPECT_EQ(ServiceName(Service::kTen), "TEN");
  EXPECT_EQ(ServiceName(Service::kEngage), "ENGAGE");
  EXPECT_EQ(ServiceName(Service::kNone), "");
}

using ServicesKeys = svctest::ServiceFolders;

TEST_F(ServicesKeys, PathsComeFromServicesWithDefaultsPerGame) {
  product.Write("Tandmon.ini",
                "[Defaults]\r\nConfig=Joy3D.vcg\r\n[services]\r\nduke=D:\\games\\duke3d.exe\r\n"
                "Descent=" + std::string(300, 'x') + "\r\n");
  struct Case {
    int game;
    std::string path;
  } cases[] = {
      {kGameDuke, "D:\\games\\duke3d.exe"},
      {kGameQuake, "C:\\quake\\quaketen.exe"},
      {kGameDescent, std::string(259, 'x')},
      {kNoGame, ""},
      {7, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.game);
    EXPECT_EQ(ReadServiceGamePath(work, c.game), c.path);
  }
  EXPECT_EQ(ReadCurrentGame(work), "");

  ASSERT_TRUE(RecordServiceGame(work, kGameQuake, "E:\\q\\quaketen.exe"));
  EXPECT_EQ(ReadServiceGamePath(work, kGameQuake), "E:\\q\\quaketen.exe");
  EXPECT_EQ(ReadCurrentGame(work), "E:\\q\\quaketen.exe");
  // The rest of the shared settings file is kept.
  EXPECT_EQ(platform::GetPrivateProfileString("Defaults", "Config", "", 260, "Tandmon.ini"),
            "Joy3D.vcg");
  EXPECT_EQ(ReadServiceGamePath(work, kGameDuke), "D:\\games\\duke3d.exe");
}

class GameSetup : public svctest::ServiceFolders {
 protected:
  SetupResult SetUp(int game = kGameDuke) { return SetUpGame({work, dukeExe, game}); }
  using svctest::ServiceFolders::SetUp;

  std::string ExpectedBatch(const std::string& frontEnd) const {
    return "call " + work + "\\tdxload.bat\r\n\r\n" + work.substr(0, 2) + "\r\n\r\ncd " + work +
           "\\games\r\n\r\n" + frontEnd + " -dir " + dukeDir +
           " -exe realgame.exe -noshow %1 %2 %3 %4 %5 %6 %7\r\n";
  }
};

TEST_F(GameSetup, TheLauncherGoesOverTheGameWhichIsKeptAsRealgame) {
  SetupResult r = SetUp();
  ASSERT_EQ(r.status, SetupStatus::kDone);
  EXPECT_EQ(r.gameDir, dukeDir);
  EXPECT_EQ(r.batchPath, dukeDir + "\\specmva.bat");
  EXPECT_EQ(games.Read("duke/realgame.exe"), duke);
  EXPECT_EQ(games.Read("duke/duke3d.exe"), stub + duke.substr(stub.size()));
  EXPECT_EQ(games.Read("duke/specmva.bat"), ExpectedBatch("mvaduke.exe"));
  EXPECT_EQ(Lines(games.Read("duke/specmva.bat")).size(), 7u);
}

TEST_F(GameSetup, AStubLongerThanTheGameIsTheWholeNewExecutable) {
  games.Write("duke/duke3d.exe", "short");
  ASSERT_EQ(SetUp().status, SetupStatus::kDone);
  EXPECT_EQ(games.Read("duke/duke3d.exe"), stub);
  EXPECT_EQ(games.Read("duke/realgame.exe"), "short");
}

TEST_F(GameSetup, ASecondSetupKeepsTheGameInRealgame) {
  ASSERT_EQ(SetUp().status, SetupStatus::kDone);
  const std::string launcher = games.Read("duke/duke3d.exe");
  ASSERT_EQ(SetUp(kGameQuake).status, SetupStatus::kDone);
  EXPECT_EQ(games.Read("duke/realgame.exe"), duke);
  EXPECT_EQ(games.Read("duke/duke3d.exe"), launcher);
  EXPECT_EQ(games.Read("duke/specmva.bat"), ExpectedBatch("mvaquake.exe"));
}

TEST_F(GameSetup, FailuresLeaveTheGameAsItWas) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string gamePath;  // empty: duke3d.exe
    SetupStatus status;
    bool realGameMade;
  } cases[] = {
      {"no such executable", [] {}, games.Dos() + "\\duke\\nothere.exe",
       SetupStatus::kGameNotFound, false},
      {"no folder in the path", [] {}, "duke3d.exe", SetupStatus::kGameNotFound, false},
      {"the path names realgame.exe", [&] { games.Write("duke/realgame.exe", duke); },
       dukeDir + "\\REALGAME.EXE", SetupStatus::kGameNotFound, true},
      {"a folder", [&] { games.Write("duke/folder.exe/x", ""); }, dukeDir + "\\folder.exe",
       SetupStatus::kGameNotFound, false},
      {"a FIFO", [&] { ::mkfifo(games.Host("duke/pipe.exe").c_str(), 0644); },
       dukeDir + "\\pipe.exe", SetupStatus::kGameNotFound, false},
      // The launcher and the executable are checked before anything is written.
      {"no stub", [&] { std::filesystem::remove(product.Host("support/specmva.exe")); }, "",
       SetupStatus::kStubMissing, false},
      {"an empty stub", [&] { product.Write("support/specmva.exe", ""); }, "",
       SetupStatus::kStubMissing, false},
      {"a read-only game",
       [&] { std::filesystem::permissions(games.Host("duke/duke3d.exe"),
                                          std::filesystem::perms::owner_read |
                                              std::filesystem::perms::group_read); },
       "", SetupStatus::kGameNotOpened, false},
      {"the disk fills", [] { platform::testing::FailWritesAfter(26000); }, "",
       SetupStatus::kNewFileFailed, true},
      {"specmva.bat cannot be made", [&] { games.Write("duke/specmva.bat/x", ""); }, "",
       SetupStatus::kBatchNotCreated, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    games.Write("duke/duke3d.exe", duke);
    std::filesystem::permissions(games.Host("duke/duke3d.exe"), std::filesystem::perms::owner_all);
    std::filesystem::remove(games.Host("duke/realgame.exe"));
    product.Write("support/specmva.exe", stub);
    c.arrange();
    SetupResult r = SetUpGame({work, c.gamePath.empty() ? dukeExe : c.gamePath, kGameDuke});
    platform::testing::FailWritesAfter(-1);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(games.Read("duke/duke3d.exe"), duke);
    EXPECT_EQ(games.Exists("duke/realgame.exe"), c.realGameMade);
    if (c.realGameMade) {
      EXPECT_EQ(games.Read("duke/realgame.exe"), duke);
    }
    EXPECT_FALSE(std::filesystem::is_regular_file(games.Host("duke/specmva.bat")));
    EXPECT_EQ(ReadCurrentGame(work), "");
  }
}

TEST_F(GameSetup, TheExecutableKeepsItsPermissions) {
  std::filesystem::permissions(games.Host("duke/duke3d.exe"), std::filesystem::perms(0750));
  ASSERT_EQ(SetUp().status, SetupStatus::kDone);
  EXPECT_EQ(std::filesystem::status(games.Host("duke/duke3d.exe")).permissions(),
            std::filesystem::perms(0750));
}

class GameRestore : public GameSetup {};

TEST_F(GameRestore, RealgameGoesBackOverTheExecutable) {
  ASSERT_EQ(SetUp().status, SetupStatus::kDone);
  ASSERT_TRUE(RecordServiceGame(work, kGameDuke, dukeExe));
  EXPECT_EQ(RestoreGame(work), RestoreStatus::kRestored);
  EXPECT_EQ(games.Read("duke/duke3d.exe"), duke);
  EXPECT_EQ(Log(), "");
}

TEST_F(GameRestore, NeverDestroysTheGameAndLogsWhy) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    RestoreStatus status;
    std::string logged;
  } cases[] = {
      {"nothing set up", [] {}, RestoreStatus::kNothingSetUp,
       "SVCSETUP - Nothing To Restore, No Game Has Been Set Up For A Service"},
      {"realgame.exe is gone",
       [&] {
         RecordServiceGame(work, kGameDuke, dukeExe);
         std::filesystem::remove(games.Host("duke/realgame.exe"));
       },
       RestoreStatus::kCopyMissing,
       "SVCSETUP - Unable To Restore " + dukeExe + ", Cannot Find " + dukeDir + "\\realgame.exe"},
      {"no folder in CurrentGame", [&] { RecordServiceGame(work, kGameDuke, "duke3d.exe"); },
       RestoreStatus::kCopyMissing,
       "SVCSETUP - Unable To Restore duke3d.exe, Cannot Find realgame.exe"},
      {"the executable is read-only",
       [&] {
         RecordServiceGame(work, kGameDuke, dukeExe);
         std::filesystem::permissions(games.Host("duke/duke3d.exe"),
                                      std::filesystem::perms::owner_read);
       },
       RestoreStatus::kNotWritten,
       "SVCSETUP - Unable To Restore " + dukeExe + ", Cannot Replace It With " + dukeDir +
           "\\realgame.exe: permission denied or read-only"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(product.Host("Tandmon.ini"));
    std::filesystem::remove(product.Host("tandmon.ini"));
    std::filesystem::remove(product.Host("error.log"));
    std::filesystem::permissions(games.Host("duke/duke3d.exe"), std::filesystem::perms::owner_all);
    const std::string launcher = stub + duke.substr(stub.size());
    games.Write("duke/duke3d.exe", launcher);
    games.Write("duke/realgame.exe", duke);
    c.arrange();
    EXPECT_EQ(RestoreGame(work), c.status);
    EXPECT_EQ(games.Read("duke/duke3d.exe"), launcher);
    std::vector<std::string> lines = Lines(Log());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, lines[0].size() - 26), "Win95: " + c.logged);
    EXPECT_EQ(lines[0].size(), ("Win95: " + c.logged).size() + 26);
  }
}

TEST_F(GameRestore, AStartWithoutCommandLineLogsOneLine) {
  LogNoCommandLine(work);
  std::vector<std::string> lines = Lines(Log());
  ASSERT_EQ(lines.size(), 1u);
  const std::string head =
      "Win95: SVCSETUP - Unable To Find Any Command Line Arguments (ten.exe, ewrap.exe): ";
  EXPECT_EQ(lines[0].substr(0, head.size()), head);
  EXPECT_EQ(lines[0].size(), head.size() + 24);
}

}  // namespace
