// tandrix install [DIR] on the Linux desktop: plays the part of the system
// installer.
//
// Copies the product files into DIR (a file already there is the user's and
// is kept), puts the programs beside them (copies from a build folder,
// links to an installed system's bin folder), names the customizer in
// Tandmon.ini, records the registry store there and seeds that store with
// the joystick keys the system expects to find (the steps every host shares
// are in install.cpp). Running it again gives the same state.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/dospath.h"
#include "platform/file.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "tools/command.h"
#include "tools/desktop_entry.h"
#include "tools/driver_unit.h"
#include "tools/install.h"
#include "tools/product_paths.h"
#include "tuning/mva_joystick.h"

namespace fs = std::filesystem;

namespace tools {
namespace {

using platform::Registry;

constexpr const char kQtModule[] = "libtandrix_ui_qt.so";

// Makes dst a symbolic link to src.
bool LinkFile(const fs::path& src, const fs::path& dst, std::string& error) {
  return PutInPlace(dst, error, [&](const fs::path& tmp, std::error_code& ec) {
    fs::remove(tmp, ec);
    fs::create_symlink(src, tmp, ec);
  });
}

// The serial devices of the host in port order: the on-board ports the
// kernel found hardware for, then USB adapters. TANDRIX_SERIAL_PORTS (paths
// separated by ':') names them instead, for machines that want another list.
std::vector<std::string> SerialDevices() {
  std::vector<std::string> out;
  if (const char* env = std::getenv("TANDRIX_SERIAL_PORTS")) {
    std::string_view rest = env;
    while (!rest.empty()) {
      std::size_t end = rest.find(':');
      if (end != 0) out.emplace_back(rest.substr(0, end));
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
    return out;
  }
  auto numbered = [](const std::string& prefix) {
    std::vector<std::pair<long, std::string>> found;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/dev", ec)) {
      std::string name = e.path().filename().string();
      if (name.rfind(prefix, 0) != 0 || name.size() == prefix.size()) continue;
      std::string digits = name.substr(prefix.size());
      if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
      found.emplace_back(std::stol(digits), name);
    }
    std::sort(found.begin(), found.end());
    return found;
  };
  for (const auto& [n, name] : numbered("ttyS")) {
    // The kernel makes ttyS nodes whether or not a UART is behind them; an
    // absent one reports port type 0.
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int t = 0;
    if (type >> t && t != 0) out.push_back("/dev/" + name);
  }
  for (const auto& [n, name] : numbered("ttyUSB")) out.push_back("/dev/" + name);
  return out;
}

// The store DIR will use: the one TANDRIX_REGISTRY names, else the one DIR
// already records (installing again keeps it), else the user's own.
std::string StoreFor(const fs::path& dir) {
  if (const char* env = std::getenv("TANDRIX_REGISTRY"); env != nullptr && env[0] != '\0') {
    return platform::DefaultRegistryPath();
  }
  if (std::string recorded = platform::RecordedRegistryPath(dir.string()); !recorded.empty()) {
    return recorded;
  }
  return platform::UserRegistryPath();
}

int Install(const Args& a) {
  std::vector<std::string> dirs;
  enum class Autostart { kKeep, kOn, kOff } autostart = Autostart::kKeep;
  for (const std::string& arg : a) {
    if (arg == "--autostart") {
      autostart = Autostart::kOn;
    } else if (arg == "--no-autostart") {
      autostart = Autostart::kOff;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("install: unknown option " + arg);
    } else {
      dirs.push_back(arg);
    }
  }
  if (dirs.size() > 1) return UsageError("install takes one DIR");

  fs::path dir = PlayerFolder();
  if (!dirs.empty()) {
    auto given = FolderArgument(dirs[0]);
    if (!given) return Fail("not a usable folder: " + dirs[0]);
    dir = *given;
  }
  // Declared before the store, so that a failed install closes the store
  // before taking away what it made.
  MadeByInstall made;
  ProductCopy copy;
  if (int rc = MakeProductFolder(dir, made, copy); rc != 0) return rc;

  // The programs are started from DIR (the monitor starts "svcsetup.exe"
  // and the customizer named in Tandmon.ini there). From a build folder
  // they are copied in; an installed system links them to its bin folder,
  // so that a package update reaches every player's folder.
  std::error_code ec;
  std::string error;
  const bool installedSystem = InstalledTemplate().has_value();
  std::vector<std::string> programs;
  std::optional<fs::path> monitor;
  if (installedSystem) {
    for (const std::string& program : ProgramNames()) {
      const auto installed = FindProgram(program);
      if (!installed) continue;
      programs.push_back(program);
      made.Note(dir / program);
      if (!LinkFile(*installed, dir / program, error)) return Fail("cannot link a program: " + error);
    }
    monitor = FindProgram(MonitorProgram());
  } else {
    if (!CopyPrograms(dir, made, programs, error)) return Fail(error);
    const auto module = FindQtModule();
    if (!programs.empty() && module && !fs::equivalent(*module, dir / kQtModule, ec)) {
      made.Note(dir / kQtModule);
      if (!ReplaceFile(*module, dir / kQtModule, error)) return Fail("cannot copy a program: " + error);
    }
    if (fs::is_regular_file(dir / MonitorProgram(), ec)) monitor = dir / MonitorProgram();
  }

  if (!NameCustomizer(dir, made, error)) return Fail(error);
  const std::string ini = (dir / "Tandmon.ini").string();
  const std::string storePath = StoreFor(dir);
  // A store this install makes goes with its log files; those of a store
  // that was there already belong to the programs using it.
  if (!fs::exists(storePath, ec)) {
    made.Note(storePath);
    for (const char* log : {"-wal", "-shm"}) made.Note(storePath + log);
  }
  std::unique_ptr<Registry> store = platform::OpenSqliteRegistry(storePath, &error);
  if (!store) return Fail("cannot open the registry store " + storePath + ": " + error);
  const std::vector<std::string> ports = SerialDevices();
  if (!SeedStore(*store, platform::ToDosPath(dir.string()), &ports, error)) return Fail(error);
  // Every program started in DIR, and tandrix run there, uses this store
  // from now on without being told.
  if (!platform::WritePrivateProfileString(platform::kStoreSection, platform::kStoreKey, storePath, ini)) {
    return Fail("cannot write " + ini + ": " + platform::FileErrorText(platform::LastFileError()));
  }

  if (autostart == Autostart::kOn) {
    if (!monitor) return Fail("no monitor to start at login: Tandmon was not built");
    if (!WriteAutostart(*monitor, dir, error)) return Fail(error);
  } else if (autostart == Autostart::kOff && !RemoveAutostart(error)) {
    return Fail(error);
  }

  made.Keep();
  std::string names;
  for (const auto& p : programs) names += " " + p;
  std::printf("installed into %s: %d product files copied, %d kept; programs:%s%s\n", dir.c_str(), copy.copied,
              copy.kept, names.empty() ? " none built" : names.c_str(),
              installedSystem && !names.empty() ? (" (linked to " + ToolFolder().string() + ")").c_str() : "");
  std::printf("registry store %s: joystick slot 1 bound to %s, %zu serial port(s)\n", storePath.c_str(),
              std::string(kMvaDriverName).c_str(), ports.size());
  if (autostart == Autostart::kOn) {
    std::printf("the monitor starts at login: %s\n", (AutostartFolder() / kAutostartFile).c_str());
  } else if (autostart == Autostart::kOff) {
    std::printf("the monitor no longer starts at login\n");
  }
  if (autostart != Autostart::kKeep) std::printf("%s\n", SetDriverAutostart(autostart == Autostart::kOn).c_str());
  if (dirs.empty()) {
    std::printf("this is your product folder; start the monitor in it with \"tandrix start %s &\"%s\n",
                MonitorProgram().c_str(), autostart == Autostart::kOn ? " or log in again" : "");
  }
  return 0;
}

const Command kInstall(
    "install", "install [DIR] [--autostart | --no-autostart]", Install,
    "Makes DIR a product folder: copies the product files into it (a file already\n"
    "there is kept), names the customizer in its Tandmon.ini, binds joystick slot 1\n"
    "in the registry store to the Tandrix driver and records that store in DIR.\n"
    "The programs are linked into DIR from the installed system's bin folder, or\n"
    "copied from a build folder.\n"
    "\n"
    "  DIR             the folder to install into; without it, the player's own\n"
    "                  folder $XDG_DATA_HOME/tandrix (~/.local/share/tandrix)\n"
    "  --autostart     start the monitor in DIR at login (an XDG autostart entry)\n"
    "                  and the driver (systemctl --user enable vexord.service)\n"
    "  --no-autostart  remove that entry and disable the driver's unit\n"
    "\n"
    "The store is the one TANDRIX_REGISTRY names, else the one DIR records, else\n"
    "~/.config/tandrix/registry.db. Running install again gives the same state.\n");

}  // namespace
}  // namespace tools
