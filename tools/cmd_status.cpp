// tandrix status [--json]: what a player would ask first. Whether a monitor
// runs and in which product folder, which configuration is live, which
// registry store is used, the player and the default configuration.
// Reads only: no store, folder or file is created.

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

#include "driver/report.h"
#include "monitor/gamelist.h"
#include "monitor/host.h"
#include "monitor/monitor_state.h"
#include "platform/dospath.h"
#include "platform/joystick.h"
#include "platform/registry.h"
#include "tools/command.h"
#include "tools/product_paths.h"
#include "tuning/mva_joystick.h"
#include "ui/instance.h"

namespace fs = std::filesystem;

namespace tools {
namespace {

constexpr const char kMonitorClass[] = "Tandrix Monitor";

struct RunningMonitor {
  int pid = 0;
  fs::path folder;
  std::string registryVariable;  // its TANDRIX_REGISTRY, if set
  bool suspended = false;
};

// The monitor that listens on its instance socket, its folder and the store
// variable it was started with.
std::optional<RunningMonitor> FindMonitor() {
  const int pid = ui::InstanceProcessId(kMonitorClass);
  if (pid == 0) return std::nullopt;
  RunningMonitor monitor;
  monitor.pid = pid;
  // A monitor too busy to answer within a second is taken as watching.
  constexpr int kAnswerWithinMs = 1000;
  long answer = 0;
  if (ui::SendInstanceMessage(kMonitorClass, kMonitorStateQuery, 0, 0, &answer, kAnswerWithinMs)) {
    monitor.suspended = answer == 1;
  }
  const fs::path proc = "/proc/" + std::to_string(pid);
  std::error_code ec;
  monitor.folder = fs::read_symlink(proc / "cwd", ec);
  std::ifstream environ(proc / "environ", std::ios::binary);
  const std::string env((std::istreambuf_iterator<char>(environ)), std::istreambuf_iterator<char>());
  constexpr std::string_view kVariable = "TANDRIX_REGISTRY=";
  for (std::size_t at = 0; at < env.size();) {
    std::size_t end = env.find('\0', at);
    if (end == std::string::npos) end = env.size();
    const std::string_view entry(env.data() + at, end - at);
    if (entry.starts_with(kVariable)) monitor.registryVariable = entry.substr(kVariable.size());
    at = end + 1;
  }
  return monitor;
}

struct Store {
  std::string path;
  std::string source;  // why this one
};

// The store a program running in folder uses, as DefaultRegistryPath() would
// choose it there.
Store StoreOf(const std::string& variable, const std::optional<fs::path>& folder) {
  if (!variable.empty()) {
    auto host = platform::ToHostPath(variable);
    return {host ? *host : variable, "TANDRIX_REGISTRY"};
  }
  if (folder) {
    if (std::string recorded = platform::RecordedRegistryPath(folder->string()); !recorded.empty()) {
      return {recorded, "recorded by the product folder"};
    }
  }
  return {platform::UserRegistryPath(), "the user's store"};
}

// The configuration file last made live in the store: the ConfigurationFile
// value of the first slot bound to the driver. Empty with a reason when
// there is none.
std::string LiveConfiguration(const std::string& storePath, std::string& why) {
  std::error_code ec;
  if (!fs::exists(storePath, ec)) {
    why = "the store does not exist yet";
    return {};
  }
  std::string error;
  std::unique_ptr<platform::Registry> store = platform::OpenSqliteRegistry(storePath, &error);
  if (!store) {
    why = error;
    return {};
  }
  platform::Registry& reg = *store;
  // MVA_FindJoystickId reads the system store; this one stands in for it
  // until the answer is read.
  std::unique_ptr<platform::Registry> before = platform::SetSystemRegistry(std::move(store));
  struct Restore {
    std::unique_ptr<platform::Registry>& before;
    ~Restore() { platform::SetSystemRegistry(std::move(before)); }
  } restore{before};

  int joyId = -1;
  std::string driverKey;
  if (MVA_FindJoystickId(joyId) != 0 ||
      platform::SystemJoystickService().GetDevCaps(platform::kJoyIdAll, platform::kJoyCapsSize,
                                                   driverKey) != platform::kJoyErrNoError) {
    why = "no joystick slot is bound to the driver";
    return {};
  }
  platform::ScopedKey device(reg);
  const std::string path = std::string(kMvaJoystickRoot) + "\\" + driverKey + "\\" + std::string(kMvaDeviceSubkey);
  platform::RegValue value;
  if (reg.OpenKey(platform::kHKeyLocalMachine, path, device.handle()) != platform::kRegOk ||
      reg.QueryValue(device.get(), "Joy" + std::to_string(joyId + 1) + "ConfigurationFile", value) !=
          platform::kRegOk) {
    why = "no configuration has been made live";
    return {};
  }
  std::string file(value.data.begin(), value.data.end());
  if (const std::size_t zero = file.find('\0'); zero != std::string::npos) file.resize(zero);
  return file;
}

// A path as the player knows it on this machine: Z:\home\ann\... becomes
// /home/ann/...; a relative one is taken from the current directory.
std::string HostPath(const std::string& path) {
  if (path.empty()) return path;
  const std::optional<std::string> host = platform::ToHostPath(path);
  return host ? *host : path;
}

std::string Json(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonOrNull(const std::optional<std::string>& text) { return text ? Json(*text) : "null"; }

int Status(const Args& a) {
  bool json = false;
  for (const std::string& arg : a) {
    if (arg != "--json") return UsageError("status: unknown argument " + arg);
    json = true;
  }
  const std::optional<RunningMonitor> monitor = FindMonitor();

  // The folder asked about: the running monitor's, else the current one,
  // else the player's own.
  std::optional<fs::path> folder;
  std::error_code ec;
  if (monitor && !monitor->folder.empty()) {
    folder = monitor->folder;
  } else if (const fs::path here = fs::current_path(ec); !ec && IsProductFolder(here)) {
    folder = here;
  } else if (IsProductFolder(PlayerFolder())) {
    folder = PlayerFolder();
  }

  const char* variable = std::getenv("TANDRIX_REGISTRY");
  const Store store =
      StoreOf(monitor ? monitor->registryVariable : (variable != nullptr ? variable : ""), folder);
  std::string liveWhy;
  const std::string live = HostPath(LiveConfiguration(store.path, liveWhy));

  std::optional<std::string> player, playerFolder, defaultConfig;
  if (folder) {
    const std::string back = platform::CurrentDirectory();
    if (platform::SetCurrentDirectory(folder->string())) {
      MonitorState settings;
      LoadMonitorSettings(settings);
      player = settings.currentPlayer;
      playerFolder = HostPath(settings.playerSubdir);
      defaultConfig = HostPath(settings.defaultConfigPath);
      platform::SetCurrentDirectory(back);
    }
  }

  const vexord::DriverReport driver = vexord::ReadDriverReport();
  auto orNull = [](const std::string& text) {
    return text.empty() ? std::nullopt : std::optional<std::string>(text);
  };
  // Missing pieces are the one thing a script must not overlook: they end
  // the command with 1 after it has said everything else.
  const int result = driver.missing.empty() ? 0 : 1;

  if (json) {
    std::printf("{\"monitor\": {\"running\": %s, \"suspended\": %s, \"pid\": %s, \"folder\": %s},\n",
                monitor ? "true" : "false", monitor && monitor->suspended ? "true" : "false",
                monitor ? std::to_string(monitor->pid).c_str() : "null",
                monitor ? Json(monitor->folder.string()).c_str() : "null");
    std::printf(" \"productFolder\": %s,\n",
                folder ? Json(folder->string()).c_str() : "null");
    std::printf(" \"liveConfiguration\": %s,\n",
                JsonOrNull(live.empty() ? std::nullopt : std::optional(live)).c_str());
    std::printf(" \"registryStore\": {\"path\": %s, \"source\": %s},\n", Json(store.path).c_str(),
                Json(store.source).c_str());
    std::printf(" \"player\": %s, \"playerFolder\": %s, \"defaultConfiguration\": %s,\n",
                JsonOrNull(player).c_str(), JsonOrNull(playerFolder).c_str(), JsonOrNull(defaultConfig).c_str());
    std::string missing;
    for (const std::string& m : driver.missing) missing += (missing.empty() ? "" : ", ") + Json(m);
    std::printf(" \"driver\": {\"running\": %s, \"pid\": %s, \"device\": %s, \"output\": %s,\n",
                driver.running ? "true" : "false",
                driver.running ? std::to_string(driver.pid).c_str() : "null",
                JsonOrNull(orNull(driver.input)).c_str(), JsonOrNull(orNull(driver.output)).c_str());
    std::printf("  \"configuration\": %s, \"tuningProblem\": %s, \"missing\": [%s]}}\n",
                JsonOrNull(driver.running ? orNull(driver.configuration) : std::nullopt).c_str(),
                JsonOrNull(orNull(driver.tuningProblem)).c_str(), missing.c_str());
    return result;
  }
  if (monitor) {
    std::printf("monitor:               %s (process %d) in %s\n", monitor->suspended ? "suspended" : "running",
                monitor->pid, monitor->folder.c_str());
  } else {
    std::printf("monitor:               not running\n");
  }
  if (folder) {
    std::printf("product folder:        %s\n", folder->c_str());
  } else {
    std::printf("product folder:        none here; make one with \"tandrix install\"\n");
  }
  std::printf("live configuration:    %s\n", live.empty() ? ("none (" + liveWhy + ")").c_str() : live.c_str());
  std::printf("registry store:        %s (%s)\n", store.path.c_str(), store.source.c_str());
  if (folder) {
    std::printf("player:                %s (configurations in %s)\n", player->c_str(), playerFolder->c_str());
    std::printf("default configuration: %s\n", defaultConfig->c_str());
  }
  if (driver.running) {
    std::printf("driver:                running (process %d), reading %s, posting to %s\n", driver.pid,
                driver.input.empty() ? "no device" : driver.input.c_str(),
                driver.output.empty() ? "no virtual joystick" : driver.output.c_str());
    std::printf("driver configuration:  %s\n", driver.configuration.c_str());
    if (!driver.tuningProblem.empty()) std::printf("driver tuning:         %s\n", driver.tuningProblem.c_str());
  } else {
    std::printf("driver:                not running (systemctl --user start vexord, or vexord &)\n");
  }
  for (const std::string& m : driver.missing) std::printf("missing:               %s\n", m.c_str());
  return result;
}

const Command kStatus(
    "status", "status [--json]", Status,
    "Tells whether a monitor runs (or is suspended) and in which product folder,\n"
    "which configuration is live, the registry store in use (and why that one), the\n"
    "player with the folder of their configurations, the default configuration, and\n"
    "whether the driver runs, which device it reads and which configuration it\n"
    "applies. Paths are this machine's own (/home/...). The product folder is the\n"
    "running monitor's, else the current folder when it is one, else the player's\n"
    "own ($XDG_DATA_HOME/tandrix).\n"
    "\n"
    "\n"
    "Ends with 1 when the driver lacks something (/dev/uinput, a six-axis device),\n"
    "after saying what is missing and how to get it.\n"
    "\n"
    "  --json  the same as one JSON object, for scripts\n");

}  // namespace
}  // namespace tools
