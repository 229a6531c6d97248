// tandrix install (the player's folder, the recorded store, autostart),
// tandrix status with and without a running monitor, and --help of every
// command and program, run as a player would in temporary folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "run_tool.h"
#include "support/child_process.h"
#include "support/tempdir.h"

namespace {

using testsupport::RunTool;
using testsupport::ScopedEnv;
using testsupport::TempDir;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool IsEmptyFolder(const std::string& path) { return std::filesystem::is_empty(path); }

// A player of its own: data, configuration and runtime folders in t, no
// store variable, no display.
struct Player {
  explicit Player(const TempDir& t)
      : data("XDG_DATA_HOME", t.Host("data").c_str()),
        config("XDG_CONFIG_HOME", t.Host("config").c_str()),
        runtime("XDG_RUNTIME_DIR", t.path().c_str()),
        store("TANDRIX_REGISTRY", nullptr),
        headless("TANDRIX_HEADLESS", "1") {}
  ScopedEnv data, config, runtime, store, headless;
};

TEST(InstallTool, WithoutDirMakesThePlayersFolderThatRecordsItsStore) {
  TempDir t;
  Player player(t);
  auto r = RunTool({"install"}, t.path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string folder = t.Host("data/tandrix");
  EXPECT_TRUE(Contains(r.out, "installed into " + folder)) << r.out;
  EXPECT_TRUE(t.Exists("data/tandrix/defaults/Joy3D.vcg"));
  EXPECT_FALSE(t.Exists("data/tandrix/defaults/.gitattributes"));
  EXPECT_FALSE(t.Exists("data/tandrix/games/.gitattributes"));
  EXPECT_TRUE(Contains(t.Read("data/tandrix/Tandmon.ini"), "Store=" + t.Host("config/tandrix/registry.db")));

  // A folder installed with a store of its own keeps using it from a new
  // shell without the variable; elsewhere the user's store is used.
  const std::string demo = t.Host("demo");
  {
    ScopedEnv chosen("TANDRIX_REGISTRY", t.Host("demo.db").c_str());
    ASSERT_EQ(RunTool({"install", demo}, t.path()).exitCode, 0);
  }
  auto inDemo = RunTool({"reg", "export"}, demo);
  EXPECT_TRUE(Contains(inDemo.out, "DosInstallDirectory")) << inDemo.err;
  EXPECT_TRUE(Contains(inDemo.out, "\\\\demo\"")) << inDemo.out;
  auto status = RunTool({"status"}, demo);
  EXPECT_TRUE(Contains(status.out, t.Host("demo.db") + " (recorded by the product folder)")) << status.out;
  // Installing again without the variable keeps the folder's store.
  ASSERT_EQ(RunTool({"install", demo}, t.path()).exitCode, 0);
  EXPECT_TRUE(Contains(t.Read("demo/Tandmon.ini"), "Store=" + t.Host("demo.db")));
}

TEST(InstallTool, AutostartEntryAppearsAndDisappears) {
  TempDir t;
  Player player(t);
  // Blanks, a quote and a dollar sign must reach the launcher unchanged.
  const std::string folder = t.Host("my \"games\" $HOME");
  const std::string entry = "config/autostart/tandrix-monitor.desktop";
  // The driver's unit goes with the entry, through a systemctl that only
  // notes what it was asked.
  t.Write("systemctl", "#!/bin/sh\necho \"$@\" >> '" + t.Host("systemctl.log") + "'\n");
  ::chmod(t.Host("systemctl").c_str(), 0755);
  ScopedEnv systemctl("TANDRIX_SYSTEMCTL", t.Host("systemctl").c_str());
  struct Step {
    std::vector<std::string> options;
    bool present;
    std::string unit;  // what systemctl was asked last
  };
  const Step steps[] = {{{"--autostart"}, true, "--user enable vexord.service\n"},
                        {{}, true, ""},
                        {{"--no-autostart"}, false, "--user disable vexord.service\n"},
                        {{}, false, ""},
                        {{"--autostart"}, true, "--user enable vexord.service\n"}};
  for (const Step& step : steps) {
    std::vector<std::string> args{"install", folder};
    args.insert(args.end(), step.options.begin(), step.options.end());
    SCOPED_TRACE(step.options.empty() ? "no option" : step.options[0]);
    std::filesystem::remove(t.Host("systemctl.log"));
    auto r = RunTool(args, t.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(t.Exists(entry), step.present);
    EXPECT_EQ(t.Read("systemctl.log"), step.unit);
  }
  const std::string text = t.Read(entry);
  EXPECT_TRUE(Contains(text, "\nExec=\"" + folder.substr(0, folder.find('"')) + "\\\\\"games\\\\\" \\\\$HOME/Tandmon\"\n"))
      << text;
  EXPECT_TRUE(Contains(text, "\nPath=" + folder + "\n")) << text;
  if (std::system("command -v desktop-file-validate >/dev/null") == 0) {
    EXPECT_EQ(std::system(("desktop-file-validate '" + t.Host(entry) + "'").c_str()), 0) << text;
  }
}

TEST(ToolHelp, EveryCommandAnswersHelpAndDoesNothingElse) {
  TempDir t;
  Player player(t);
  const std::string empty = t.Host("empty");
  std::filesystem::create_directory(empty);
  const std::vector<std::vector<std::string>> asks = {
      {"install", "--help"}, {"install", "-h"},      {"install", "dir", "--help"}, {"status", "--help"},
      {"status", "-h"},      {"start", "--help"},    {"start", "Tandmon", "-h"},   {"profile", "--help"},
      {"vcg", "show", "-h"}, {"reg", "--help"},      {"help", "install"},          {"--help"},
      {"curves", "--svg", "out.svg", "--help"}, {"-h"}};
  for (const auto& args : asks) {
    SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
    auto r = RunTool(args, empty);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("usage: tandrix", 0), 0u) << r.out;
  }
  EXPECT_EQ(RunTool({"start", "rm"}, empty).exitCode, 2);
  EXPECT_TRUE(IsEmptyFolder(empty));
  EXPECT_FALSE(t.Exists("data"));
  EXPECT_FALSE(t.Exists("config"));

  // A first start, before anybody installed, makes the player's folder as
  // install does (without autostart) and goes on; where the folder cannot
  // be made it says why.
  {
    std::filesystem::create_directory(t.Host("file"));
    t.Write("file/data", "a file, not a folder");
    ScopedEnv blocked("XDG_DATA_HOME", t.Host("file/data").c_str());
    auto refused = RunTool({"start", "Tandmon", "-close"}, empty);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(Contains(refused.err, "could not be made: cannot create")) << refused.err;
  }
  auto start = RunTool({"start", "Tandmon", "-close"}, empty);
  EXPECT_EQ(start.exitCode, 0) << start.err;
  EXPECT_TRUE(Contains(start.out, "installed into " + t.Host("data/tandrix"))) << start.out;
  EXPECT_TRUE(Contains(start.out, "no monitor was running")) << start.out;
  EXPECT_TRUE(t.Exists("data/tandrix/Tandmon.ini"));
  EXPECT_FALSE(t.Exists("config/autostart"));
  EXPECT_TRUE(IsEmptyFolder(empty));
}

#ifdef TANDRIX_MONITOR
using testsupport::ChildProcess;

TEST(MonitorHelp, HelpAndAFolderWithoutProductFilesStartNothing) {
  TempDir t;
  Player player(t);
  const std::vector<std::vector<std::string>> asks = {{"--help"}, {"-h"}, {"-close", "--help"}};
  for (const auto& ask : asks) {
    SCOPED_TRACE(ask[0]);
    ChildProcess monitor(TANDRIX_MONITOR, ask, t.path(), t.Host("out.log"));
    EXPECT_EQ(monitor.Wait(), 0);
    EXPECT_EQ(t.Read("out.log").rfind("usage: Tandmon", 0), 0u) << t.Read("out.log");
    std::filesystem::remove(t.Host("out.log"));
  }
  ChildProcess outside(TANDRIX_MONITOR, {}, t.path(), t.Host("out.log"));
  EXPECT_EQ(outside.Wait(), 1);
  EXPECT_TRUE(Contains(t.Read("out.log"), t.path() + " is not a product folder")) << t.Read("out.log");
  EXPECT_TRUE(Contains(t.Read("out.log"), "tandrix install"));
  EXPECT_FALSE(t.Exists("error.log"));
  EXPECT_FALSE(t.Exists("config"));  // no store made either
}

TEST(StatusTool, WithAndWithoutARunningMonitor) {
  TempDir t;
  Player player(t);
  const std::string folder = t.Host("product");
  ASSERT_EQ(RunTool({"install", folder}, t.path()).exitCode, 0);

  auto idle = RunTool({"status", "--json"}, folder);
  EXPECT_TRUE(Contains(idle.out, "\"running\": false")) << idle.out;
  EXPECT_TRUE(Contains(idle.out, "\"productFolder\": \"" + folder + "\"")) << idle.out;
  EXPECT_TRUE(Contains(idle.out, "\"player\": \"Player One\"")) << idle.out;
  // Paths as this machine writes them, not as Z:\...
  EXPECT_TRUE(Contains(idle.out, "\"defaultConfiguration\": \"" + folder + "/defaults/Joy3D.vcg\"")) << idle.out;
  EXPECT_TRUE(Contains(idle.out, "\"playerFolder\": \"" + folder + "/games\"")) << idle.out;

  ChildProcess monitor(folder + "/Tandmon", {}, folder, t.Host("monitor.log"));
  std::string running;
  for (int i = 0; i < 300 && !Contains(running, "\"running\": true"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    running = RunTool({"status", "--json"}, t.path()).out;  // from anywhere
  }
  EXPECT_TRUE(Contains(running, "\"pid\": " + std::to_string(monitor.pid()))) << running;
  EXPECT_TRUE(Contains(running, "\"folder\": \"" + folder + "\"")) << running;
  EXPECT_TRUE(Contains(running, "\"liveConfiguration\": \"" + folder + "/defaults/Joy3D.vcg\"")) << running;
  EXPECT_TRUE(Contains(running, "\"suspended\": false")) << running;

  ChildProcess close(folder + "/Tandmon", {"-close"}, folder, t.Host("close.log"));
  EXPECT_EQ(close.Wait(), 0);
  EXPECT_EQ(monitor.Wait(), 0) << t.Read("monitor.log");
  EXPECT_TRUE(Contains(t.Read("close.log"), "closed the monitor that was running (process " +
                                                std::to_string(monitor.pid()) + ")"))
      << t.Read("close.log");
  EXPECT_TRUE(Contains(t.Read("close.log"), "defaults\\Joy3D.vcg is live")) << t.Read("close.log");
  EXPECT_TRUE(Contains(RunTool({"status"}, folder).out, "not running"));
}
#endif

}  // namespace
