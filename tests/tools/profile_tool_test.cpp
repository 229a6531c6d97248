#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <ctime>
#include <functional>

#include "platform/dospath.h"
#include "run_tool.h"
#include "support/tempdir.h"

namespace {

using testsupport::RunTool;
using testsupport::TempDir;

TEST(ProfileTool, GetIntSetWithDosAndHostPaths) {
  TempDir t;
  t.Write("Tandmon.ini", "[Defaults]\r\nConfig = Joy2D.vcg\r\nShowJoystick=0x1\r\n");
  ASSERT_EQ(::mkfifo(t.Host("fifo.ini").c_str(), 0644), 0);
  const std::string dos = platform::ToDosPath(t.Host("Tandmon.ini"));
  // What a killed writer left here a while ago goes with the next write.
  t.Write(".tandrix-Stale1", "");
  const timespec old[2] = {{std::time(nullptr) - 600, 0}, {std::time(nullptr) - 600, 0}};
  ::utimensat(AT_FDCWD, t.Host(".tandrix-Stale1").c_str(), old, 0);
  const auto sizeLimit = [] {
    rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  };
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string out;
    std::function<void()> inChild = nullptr;
    std::string err = "tandrix: ";
  } cases[] = {
      {{"profile", "get", dos, "DEFAULTS", "config"}, 0, "Joy2D.vcg\n"},
      {{"profile", "get", "tandmon.INI", "Defaults", "Missing", "dflt"}, 0, "dflt\n"},
      {{"profile", "get", "tandmon.ini", "Defaults", "Missing"}, 0, "\n"},
      {{"profile", "int", "Tandmon.ini", "Defaults", "ShowJoystick", "5"}, 0, "0\n"},
      {{"profile", "int", "Tandmon.ini", "Defaults", "Missing", "-3"}, 0, "-3\n"},
      {{"profile", "set", t.Host("Tandmon.ini"), "Games", "Current", "quake.vcg"}, 0, ""},
      {{"profile", "get", "Tandmon.ini", "Games", "Current"}, 0, "quake.vcg\n"},
      {{"profile", "int", "Tandmon.ini", "Defaults", "X", "notanumber"}, 2, ""},
      {{"profile", "get", "Tandmon.ini"}, 2, ""},
      {{"profile", "set", "nofolder/x.ini", "A", "b", "c"}, 1, ""},
      // a FIFO is an error, not an empty file, and never waited on
      {{"profile", "get", "fifo.ini", "A", "b"}, 1, ""},
      {{"profile", "int", "fifo.ini", "A", "b", "1"}, 1, ""},
      {{"profile", "set", "fifo.ini", "A", "b", "c"}, 1, ""},
      // fails instead of being killed by the size limit; the file stays
      {{"profile", "set", "Tandmon.ini", "Games", "Big", std::string(4000, 'x')}, 1, "", sizeLimit,
       "over the file size limit"},
      {{"nosuchcommand"}, 2, ""},
  };
  for (const auto& c : cases) {
    auto r = RunTool(c.args, t.path(), c.inChild);
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    EXPECT_EQ(r.exitCode, c.exit) << joined << r.err;
    EXPECT_EQ(r.out, c.out) << joined;
    if (c.exit != 0) {
      EXPECT_NE(r.err.find(c.err), std::string::npos) << joined << r.err;
    }
  }
  EXPECT_EQ(t.Read("Tandmon.ini"),
            "[Defaults]\r\nConfig = Joy2D.vcg\r\nShowJoystick=0x1\r\n\r\n[Games]\r\n"
            "Current=quake.vcg\r\n");
  EXPECT_FALSE(t.Exists(".tandrix-Stale1"));
}

}  // namespace
