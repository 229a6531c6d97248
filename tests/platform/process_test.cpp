#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/dospath.h"
#include "support/procstat.h"
#include "support/tempdir.h"

namespace {

using testsupport::ScopedCwd;
using testsupport::TempDir;

using testsupport::ProcessStartTime;

bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

void CopyExecutable(const std::string& from, const std::string& to) {
  std::filesystem::create_directories(std::filesystem::path(to).parent_path());
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
  ::chmod(to.c_str(), 0755);
}

const platform::ProcessEntry* FindPid(const std::vector<platform::ProcessEntry>& list,
                                      std::uint32_t pid, std::size_t* index = nullptr) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i].processId == pid) {
      if (index) *index = i;
      return &list[i];
    }
  }
  return nullptr;
}

TEST(SplitCommandLine, WordsAndQuotes) {
  struct Case {
    std::string line;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {"1 ten.exe", {"1", "ten.exe"}},
      {"  a\t b  ", {"a", "b"}},
      {"", {}},
      {"\"C:\\Program Files\\x.exe\" -y", {"C:\\Program Files\\x.exe", "-y"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\"\"", {""}},
      {" shell32.dll,Control_RunDLL sysdm.cpl,@1", {"shell32.dll,Control_RunDLL", "sysdm.cpl,@1"}},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::SplitCommandLine(c.line), c.words) << c.line;
}

TEST(CommandLineOf, IsTheArgumentsAfterTheProgramName) {
  char prog[] = "Tandmon", a[] = "-close", b[] = "now";
  char* one[] = {prog, nullptr};
  char* three[] = {prog, a, b, nullptr};
  EXPECT_EQ(platform::CommandLineOf(1, one), "");
  EXPECT_EQ(platform::CommandLineOf(3, three), "-close now");
}

TEST(AsksForHelp, AnyArgumentAfterTheProgramName) {
  struct Case {
    std::vector<std::string> args;  // the program name first
    bool asks;
  };
  const Case cases[] = {
      {{"Chooser"}, false},
      {{"Chooser", "--help"}, true},
      {{"Tandmon", "-close", "-h"}, true},
      {{"svcsetup", "/?", "1", "ten.exe"}, true},
      // The program's own name is never the question, and near misses act.
      {{"--help"}, false},
      {{"svcsetup", "1", "ten.exe"}, false},
      {{"Tandmon", "-help"}, false},
      {{"Tandmon", "--HELP"}, false},
      {{"Tandmon", "-hx"}, false},
  };
  for (const auto& c : cases) {
    std::vector<char*> argv;
    std::vector<std::string> words = c.args;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    EXPECT_EQ(platform::AsksForHelp(static_cast<int>(words.size()), argv.data()), c.asks)
        << platform::CommandLineOf(static_cast<int>(words.size()), argv.data());
  }
}

TEST(ProcessSnapshot, WalksFromTheFirstEntry) {
  platform::ProcessSnapshot snap({{0, 0, "[System Process]"}, {5, 1, "Z:\\a.exe"}});
  platform::ProcessEntry e;
  ASSERT_TRUE(snap.Next(e));  // Next before First starts at the top, too
  EXPECT_EQ(e.processId, 0u);
  ASSERT_TRUE(snap.First(e));
  ASSERT_TRUE(snap.Next(e));
  EXPECT_EQ(e.exePath, "Z:\\a.exe");
  EXPECT_FALSE(snap.Next(e));
  platform::ProcessSnapshot none({});
  EXPECT_FALSE(none.First(e));
}

TEST(ProcessSnapshot, HostListIsOrderedOldestFirstWithDosPaths) {
  TempDir dir;
  const std::string game = dir.Host("Quake/quake.exe");
  CopyExecutable("/bin/sleep", game);
  std::uint32_t pid = 0;
  ASSERT_TRUE(platform::StartProcess(game, "quake.exe 30", dir.Host("Quake"), &pid));
  ASSERT_NE(pid, 0u);
  ASSERT_TRUE(WaitFor([&] {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec) == game;
  }));

  auto snap = platform::CreateProcessSnapshot();
  ASSERT_NE(snap, nullptr);
  const auto& list = snap->Entries();
  ASSERT_GE(list.size(), 3u);
  EXPECT_EQ(list[0].processId, 0u);
  EXPECT_EQ(list[0].exePath, "[System Process]");

  std::size_t at = 0;
  const auto* self = FindPid(list, static_cast<std::uint32_t>(::getpid()));
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(self->exePath, platform::ToDosPath(std::filesystem::read_symlink("/proc/self/exe").string()));
  const auto* started = FindPid(list, pid, &at);
  ASSERT_NE(started, nullptr);
  EXPECT_EQ(started->exePath, dir.Dos() + "\\Quake\\quake.exe");
  // Newest last: whatever follows it started no earlier (other programs on
  // the machine may have started since).
  for (std::size_t i = 1; i + 1 < list.size(); ++i) {
    unsigned long long a = ProcessStartTime(list[i].processId);
    unsigned long long b = ProcessStartTime(list[i + 1].processId);
    if (a != 0 && b != 0) {
      EXPECT_LE(a, b) << list[i].exePath << " / " << list[i + 1].exePath;
    }
  }
  // A process that ended since the snapshot has no start time left to read.
  for (std::size_t i = at + 1; i < list.size(); ++i) {
    unsigned long long later = ProcessStartTime(list[i].processId);
    if (later != 0) {
      EXPECT_GE(later, ProcessStartTime(pid)) << list[i].exePath;
    }
  }

  EXPECT_TRUE(platform::ProcessIsRunning(pid));
  EXPECT_TRUE(platform::TerminateProcess(pid));
  ASSERT_TRUE(WaitFor([&] { return !platform::ProcessIsRunning(pid); }));
  snap = platform::CreateProcessSnapshot();
  EXPECT_EQ(FindPid(snap->Entries(), pid), nullptr);
  EXPECT_FALSE(platform::TerminateProcess(pid));
}

// Starts a copy of sleep under a Wine loader's name with the given first
// argument and working directory, as Wine shows a Windows program.
pid_t StartFakeWine(const std::string& loader, const std::string& image, const std::string& cwd) {
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(127);
    char* argv[] = {const_cast<char*>(image.c_str()), const_cast<char*>("30"), nullptr};
    ::execv(loader.c_str(), argv);
    ::_exit(127);
  }
  return pid;
}

TEST(ProcessSnapshot, WineProgramsAreListedByTheirWindowsImage) {
  TempDir dir;
  const std::string loader = dir.Host("wine/bin/wine64-preloader");
  CopyExecutable("/bin/sleep", loader);
  dir.Write("games/q/.keep", "");
  struct Case {
    std::string image;
    std::string expected;
  };
  const Case cases[] = {
      {"C:\\Games\\Quake\\quake.exe", "C:\\Games\\Quake\\quake.exe"},
      {"quake.exe", dir.Dos() + "\\games\\q\\quake.exe"},
      {"bin/QUAKE.EXE", dir.Dos() + "\\games\\q\\bin\\QUAKE.EXE"},
      {"wine64-preloader", platform::ToDosPath(loader)},  // not a Windows image
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.image);
    pid_t pid = StartFakeWine(loader, c.image, dir.Host("games/q"));
    ASSERT_GT(pid, 0);
    // The new program's file shows before its arguments do: both, so the
    // listing reads the process as it runs, not in the middle of its start.
    ASSERT_TRUE(WaitFor([&] {
      std::error_code ec;
      const std::string proc = "/proc/" + std::to_string(pid);
      std::ifstream cmdline(proc + "/cmdline", std::ios::binary);
      const std::string args((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
      return std::filesystem::read_symlink(proc + "/exe", ec) == loader &&
             args.find(c.image) != std::string::npos;
    }));
    std::vector<platform::ProcessEntry> list;
    ASSERT_TRUE(platform::ListHostProcesses(list));
    const auto* e = FindPid(list, static_cast<std::uint32_t>(pid));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->exePath, c.expected);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
}

// A stand-in game started by another user is not this user's game; the
// same program started by this user is.
TEST(ProcessSnapshot, ListsOnlyTheProcessesOfItsOwnUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "starting a process as another user needs root";
  TempDir dir;
  // Named like no listed game: a monitor under test elsewhere on the
  // machine must not take it for one.
  const std::string game = dir.Host("Standin/standin.exe");
  CopyExecutable("/bin/sleep", game);
  ::chmod(dir.path().c_str(), 0755);  // the other user must reach the program
  auto start = [&](bool asNobody) {
    pid_t pid = ::fork();
    if (pid == 0) {
      if (asNobody) {
        ::execl("/usr/bin/setpriv", "setpriv", "--reuid=65534", "--regid=65534",
                "--clear-groups", game.c_str(), "30", static_cast<char*>(nullptr));
      } else {
        ::execl(game.c_str(), "standin.exe", "30", static_cast<char*>(nullptr));
      }
      ::_exit(127);
    }
    return pid;
  };
  for (bool asNobody : {true, false}) {
    SCOPED_TRACE(asNobody ? "started by nobody" : "started by this user");
    pid_t pid = start(asNobody);
    ASSERT_GT(pid, 0);
    // Running as the game (setpriv has exec'd it) before the list is taken.
    ASSERT_TRUE(WaitFor([&] {
      std::error_code ec;
      return std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec) == game;
    }));
    auto snap = platform::CreateProcessSnapshot();
    ASSERT_NE(snap, nullptr);
    EXPECT_EQ(FindPid(snap->Entries(), static_cast<std::uint32_t>(pid)) != nullptr, !asNobody);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
}

class StartProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("work/.keep", "");
    dir.Write("bin/report.sh", "#!/bin/sh\npwd > \"$OUT\"\necho \"|$*\" >> \"$OUT\"\n");
    ::chmod(dir.Host("bin/report.sh").c_str(), 0755);
  }
  std::string Report() {
    std::string text;
    WaitFor([&] {
      text = dir.Read("out.txt");
      return text.find('|') != std::string::npos && text.back() == '\n';
    });
    std::remove(dir.Host("out.txt").c_str());
    return text;
  }
  TempDir dir;
  ScopedCwd cwd{dir.path()};
  testsupport::ScopedEnv out{"OUT", nullptr};
};

TEST_F(StartProcessTest, ArgumentsAndDirectory) {
  testsupport::ScopedEnv env("OUT", dir.Host("out.txt").c_str());
  const std::string real = std::filesystem::canonical(dir.path()).string();
  struct Case {
    const char* program;
    const char* commandLine;
    const char* directory;
    std::string expected;
  };
  const Case cases[] = {
      {"bin\\report.sh", "1 ten.exe", "work", real + "/work\n|1 ten.exe\n"},
      // A first word naming the program itself is its argv[0].
      {"bin\\report.sh", "report.sh a \"b c\"", ".", real + "\n|a b c\n"},
      {"bin\\REPORT.SH", "", "work", real + "/work\n|\n"},
      {"bin\\report.sh.exe", "0 TEN.EXE", ".", real + "\n|0 TEN.EXE\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    ASSERT_TRUE(platform::StartProcess(c.program, c.commandLine, c.directory));
    EXPECT_EQ(Report(), c.expected);
  }
}

TEST_F(StartProcessTest, FailuresAreReported) {
  EXPECT_FALSE(platform::StartProcess("bin\\missing.exe", "", "."));
  EXPECT_FALSE(platform::StartProcess("bin\\report.sh", "", "no-such-dir"));
  EXPECT_FALSE(platform::StartProcess("bin", "", "."));  // a folder
  dir.Write("bin/plain.txt", "not a program");
  EXPECT_FALSE(platform::StartProcess("bin\\plain.txt", "", "."));
  EXPECT_FALSE(platform::StartProcess("", "", "."));
}

TEST(WindowsDirectory, EnvironmentOrDefault) {
  {
    testsupport::ScopedEnv env("TANDRIX_WINDIR", nullptr);
    EXPECT_EQ(platform::WindowsDirectory(), "C:\\WINDOWS");
  }
  testsupport::ScopedEnv env("TANDRIX_WINDIR", "Z:\\opt\\win");
  EXPECT_EQ(platform::WindowsDirectory(), "Z:\\opt\\win");
}

}  // namespace
