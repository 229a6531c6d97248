// tandrix.exe install and game under Wine: the product folder, the programs
// beside it and the joystick keys in the system's registry, kept under a
// key of this test's own so that no real joystick setting is touched.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/joystick.h"
#include "run_tool.h"
#include "support/tempdir.h"

namespace {

using testsupport::RunTool;
using testsupport::ScopedEnv;
using testsupport::TempDir;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The registry root the tool is given, removed with all below it however
// the test ends.
class TestRoot {
 public:
  TestRoot() : path_("Software\\Tandrix tests\\install-" + std::to_string(::GetCurrentProcessId())),
               env_("TANDRIX_REGISTRY_ROOT", ("HKCU\\" + path_).c_str()) {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  }
  ~TestRoot() { ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str()); }

 private:
  std::string path_;
  ScopedEnv env_;
};

TEST(InstallTool, WindowsFolderProgramsAndRegistryTwiceTheSame) {
  TempDir t;
  TestRoot root;
  std::string driverKey;
  ASSERT_EQ(platform::SystemJoystickService().GetDevCaps(platform::kJoyIdAll, platform::kJoyCapsSize, driverKey),
            platform::kJoyErrNoError);
  const std::string dir = t.Host("inst");
  struct Step {
    const char* what;
    std::vector<std::string> args;
    std::string cwd;
    int exitCode;
    std::string out;  // a part of what it prints
  };
  const Step steps[] = {
      {"first install", {"install", dir}, t.path(), 0, "product files copied, 0 kept; programs:"},
      {"again, the user's files kept", {"install", dir}, t.path(), 0, " 0 product files copied"},
      {"no folder", {"install"}, t.path(), 2, ""},
      {"a Linux option", {"install", dir, "--autostart"}, t.path(), 2, ""},
      {"the game list", {"game", "list"}, dir, 0, "quake.exe"},
      {"outside a product folder", {"game", "list"}, t.path(), 1, ""},
  };
  std::vector<std::string> exports;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    auto r = RunTool(step.args, step.cwd);
    EXPECT_EQ(r.exitCode, step.exitCode) << r.err;
    EXPECT_TRUE(Contains(r.out, step.out)) << r.out;
    if (step.args[0] != "install" || step.exitCode != 0) continue;
    for (const char* program : {"Tandmon.exe", "Chooser.exe", "svcsetup.exe"}) {
      EXPECT_EQ(Contains(r.out, std::string(" ") + program), t.Exists(std::string("inst/") + program)) << program;
    }
    exports.push_back(RunTool({"reg", "export"}, t.path()).out);
    // What a player changes survives the next install.
    t.Write("inst/games.ini", "[Game1]\r\nGameTitle=Mine\r\nGameExe=quake.exe\r\nGameVcg=quake.vcg\r\n");
  }
  EXPECT_TRUE(Contains(t.Read("inst/Tandmon.ini"), "Customizer=Chooser.exe"));
  EXPECT_TRUE(Contains(t.Read("inst/games.ini"), "Mine"));
  EXPECT_TRUE(t.Exists("inst/defaults/Joy3D.vcg"));
  ASSERT_EQ(exports.size(), 2u);
  EXPECT_EQ(exports[0], exports[1]);
  EXPECT_TRUE(Contains(exports[0], "\\" + driverKey + "\\CurrentJoystickSettings]")) << exports[0];
  EXPECT_TRUE(Contains(exports[0], "\"Joystick1OEMCallout\"=\"vexor.vxd\"")) << exports[0];
  EXPECT_TRUE(Contains(exports[0], "\"DosInstallDirectory\"=")) << exports[0];
  // The serial port map is the system's own.
  EXPECT_FALSE(Contains(exports[0], "serialcomm")) << exports[0];
}

}  // namespace
