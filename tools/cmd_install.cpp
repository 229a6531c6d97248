// tandrix install [DIR]: plays the part of the system installer.
//
// Copies the product files into DIR (a file already there is the user's and
// is kept), puts the programs beside them (copies from a build folder,
// links to an installed system's bin folder), names the customizer in
// Tandmon.ini, records the registry store there and seeds that store with
// the joystick keys the system expects to find. Running it again gives the
// same state.
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
#include "platform/joystick.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "tools/command.h"
#include "tools/desktop_entry.h"
#include "tools/driver_unit.h"
#include "tools/product_paths.h"
#include "tuning/mva_joystick.h"

namespace fs = std::filesystem;

namespace tools {
namespace {

using platform::kHKeyLocalMachine;
using platform::Registry;
using platform::ScopedKey;

constexpr const char* kPrograms[] = {"Tandmon", "Chooser", "svcsetup"};
constexpr const char* kCustomizerProgram = "Chooser";
constexpr const char* kMonitorProgram = "Tandmon";
constexpr const char kQtModule[] = "libtandrix_ui_qt.so";

// Puts a new dst in place: make writes it under a temporary name of its
// own beside dst (installs running at the same time never share one), and
// a rename puts it over dst, so a program that is running from dst keeps
// running and no half file is ever seen. A failed step leaves dst as it was
// and no temporary behind.
template <typename Make>
bool PutInPlace(const fs::path& dst, std::string& error, Make make) {
  const fs::path tmp = platform::CreateTemporaryBeside(dst.string());
  if (tmp.empty()) {
    error = dst.string() + ": " + platform::FileErrorText(platform::LastFileError());
    return false;
  }
  std::error_code ec;
  make(tmp, ec);
  if (!ec) fs::rename(tmp, dst, ec);
  if (ec) {
    std::error_code ignored;  // the failure to report is the first one
    fs::remove(tmp, ignored);
    error = dst.string() + ": " + ErrorText(ec);
    return false;
  }
  return true;
}

// Copies src over dst; the copy is on the disk before it takes dst's place.
bool ReplaceFile(const fs::path& src, const fs::path& dst, std::string& error) {
  return PutInPlace(dst, error, [&](const fs::path& tmp, std::error_code& ec) {
    if (!platform::CopyIntoTemporary(src.string(), tmp.string())) ec.assign(errno, std::generic_category());
  });
}

// Makes dst a symbolic link to src.
bool LinkFile(const fs::path& src, const fs::path& dst, std::string& error) {
  return PutInPlace(dst, error, [&](const fs::path& tmp, std::error_code& ec) {
    fs::remove(tmp, ec);
    fs::create_symlink(src, tmp, ec);
  });
}

// What an install made, taken away again unless the install completes: one
// that fails part-way (a disk that fills) must not leave a half-made folder
// without its Store line, where later commands would fall back to, and
// create, the user's own store. What was there before is never touched.
class MadeByInstall {
 public:
  MadeByInstall() = default;
  MadeByInstall(const MadeByInstall&) = delete;
  MadeByInstall& operator=(const MadeByInstall&) = delete;
  ~MadeByInstall() {
    if (kept_) return;
    std::error_code ec;
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) fs::remove(*it, ec);
  }

  // Notes path (and its missing folders) when nothing is there yet; call
  // before making it.
  void Note(const fs::path& path) {
    std::vector<fs::path> missing;
    std::error_code ec;
    for (fs::path p = path; !p.empty() && !fs::exists(fs::symlink_status(p, ec)); p = p.parent_path()) {
      missing.push_back(p);
      if (p == p.parent_path()) break;
    }
    made_.insert(made_.end(), missing.rbegin(), missing.rend());
  }
  // The install is complete: everything stays.
  void Keep() { kept_ = true; }

 private:
  std::vector<fs::path> made_;  // in the order they were made
  bool kept_ = false;
};

// The product tree, file by file; files already in DIR stay as they are.
bool CopyProduct(const fs::path& from, const fs::path& to, MadeByInstall& made, int& copied, int& kept,
                 std::string& error) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    const fs::path rel = fs::relative(it->path(), from, ec);
    if (ec) break;
    const fs::path target = to / rel;
    // Only the product's own files: what version control keeps beside them
    // (.gitattributes ...) is no part of a player's folder.
    if (it->path().filename().string().starts_with(".")) {
      if (it->is_directory()) it.disable_recursion_pending();
      continue;
    }
    if (it->is_directory()) {
      made.Note(target);
      fs::create_directories(target, ec);
      if (ec) break;
      continue;
    }
    if (!it->is_regular_file()) continue;
    if (fs::exists(fs::symlink_status(target))) {
      ++kept;
      continue;
    }
    made.Note(target);
    if (!ReplaceFile(it->path(), target, error)) return false;
    ++copied;
  }
  if (ec) {
    error = ErrorText(ec);
    return false;
  }
  return true;
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

bool Ok(platform::RegStatus s, const std::string& what, std::string& error) {
  if (s == platform::kRegOk) return true;
  error = "cannot write " + what + ": " + platform::RegErrorText(s);
  return false;
}

// The longest full path a configuration file of the product gets once
// installed in dir (a DOS path), or empty when every one fits the driver.
std::string TooLongConfigPath(const fs::path& product, const std::string& dosDir) {
  std::error_code ec;
  std::string longest;
  for (auto it = fs::recursive_directory_iterator(product, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (!platform::EqualsNoCase(it->path().extension().string(), ".vcg")) continue;
    std::string rel = fs::relative(it->path(), product, ec).string();
    std::replace(rel.begin(), rel.end(), '/', '\\');
    std::string full = dosDir + "\\" + rel;
    if (full.size() > longest.size()) longest = full;
  }
  return longest.size() > kMvaMaxCfgPath ? longest : std::string();
}

bool SeedStore(Registry& reg, const std::string& dosDir, const std::vector<std::string>& ports,
               std::string& error) {
  std::string driverKey;
  if (platform::SystemJoystickService().GetDevCaps(platform::kJoyIdAll, platform::kJoyCapsSize,
                                                   driverKey) != platform::kJoyErrNoError) {
    error = "the joystick service does not name its driver key";
    return false;
  }
  const std::string driverPath = std::string(kMvaJoystickRoot) + "\\" + driverKey;

  // Slot 1 bound to the driver.
  {
    ScopedKey current(reg);
    const std::string path = driverPath + "\\" + std::string(kMvaCurrentSettingsSubkey);
    if (!Ok(reg.CreateKey(kHKeyLocalMachine, path, current.handle()), path, error)) return false;
    const auto hw = MVA_JoyHwConfigBytes();
    if (!Ok(reg.SetBinary(current.get(), "Joystick1Configuration", hw.data(), hw.size()),
            "Joystick1Configuration", error) ||
        !Ok(reg.SetString(current.get(), "Joystick1OEMName", kMvaOemName), "Joystick1OEMName", error) ||
        !Ok(reg.SetString(current.get(), "Joystick1OEMCallout", kMvaDriverName), "Joystick1OEMCallout",
            error)) {
      return false;
    }
  }
  // Its OEM configuration; one the user has set up already (port, map) is
  // kept as long as it is a whole record.
  {
    ScopedKey device(reg);
    const std::string path = driverPath + "\\" + std::string(kMvaDeviceSubkey);
    if (!Ok(reg.CreateKey(kHKeyLocalMachine, path, device.handle()), path, error)) return false;
    std::uint32_t size = 0;
    if (reg.QueryValueEx(device.get(), "Joystick1OEMConfiguration", nullptr, nullptr, &size) !=
            platform::kRegOk ||
        size != kMvaOemConfigurationSize) {
      const auto oem = MVA_OemConfigurationBytes(MVA_OemConfiguration{});
      if (!Ok(reg.SetBinary(device.get(), "Joystick1OEMConfiguration", oem.data(), oem.size()),
              "Joystick1OEMConfiguration", error)) {
        return false;
      }
    }
  }
  // The private key and the DOS software's folder.
  {
    ScopedKey priv(reg);
    const std::string path = std::string(kMvaPrivateRoot) + "\\" + std::string(kMvaPrivateSubkey);
    if (!Ok(reg.CreateKey(kHKeyLocalMachine, path, priv.handle()), path, error) ||
        !Ok(reg.SetString(priv.get(), "DosInstallDirectory", dosDir), "DosInstallDirectory", error)) {
      return false;
    }
  }
  // The serial ports the host has, and only those.
  {
    const std::string path = "hardware\\devicemap\\serialcomm";
    platform::RegStatus s = reg.DeleteKey(kHKeyLocalMachine, path);
    if (s != platform::kRegFileNotFound && !Ok(s, path, error)) return false;
    ScopedKey serial(reg);
    if (!Ok(reg.CreateKey(kHKeyLocalMachine, path, serial.handle()), path, error)) return false;
    for (std::size_t i = 0; i < ports.size(); ++i) {
      const std::string name = "COM" + std::to_string(i + 1);
      if (!Ok(reg.SetString(serial.get(), name, ports[i]), name, error)) return false;
    }
  }
  reg.FlushKey(kHKeyLocalMachine);
  return true;
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

  std::error_code ec;
  const fs::path product = TemplateFolder();
  if (!fs::is_directory(product, ec)) return Fail("no product files at " + product.string());
  fs::path dir = PlayerFolder();
  if (!dirs.empty()) {
    auto hostDir = platform::ToHostPath(dirs[0]);
    if (!hostDir) return Fail("not a usable folder: " + dirs[0]);
    dir = fs::absolute(*hostDir, ec);
  }
  // Every activation of a configuration whose path the driver cannot take
  // would fail: refuse before anything is copied.
  std::string dosDir = platform::ToDosPath(fs::weakly_canonical(dir, ec).string());
  while (dosDir.size() > 3 && dosDir.back() == '\\') dosDir.pop_back();
  if (std::string path = TooLongConfigPath(product, dosDir); !path.empty()) {
    return Fail("cannot install into " + dir.string() + ": the folder is too deep; its configuration file " +
                path + " would be " + std::to_string(path.size()) + " characters long, over the " +
                std::to_string(kMvaMaxCfgPath) + " the driver takes. Choose a shorter folder");
  }
  // Declared before the store, so that a failed install closes the store
  // before taking away what it made.
  MadeByInstall made;
  made.Note(dir);
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir)) return Fail("cannot create " + dir.string());

  std::string error;
  int copied = 0;
  int kept = 0;
  if (!CopyProduct(product, dir, made, copied, kept, error)) {
    return Fail("cannot copy the product files: " + error);
  }

  // The programs are started from DIR (the monitor starts "svcsetup.exe"
  // and the customizer named in Tandmon.ini there). From a build folder
  // they are copied in; an installed system links them to its bin folder,
  // so that a package update reaches every player's folder.
  const bool installedSystem = InstalledTemplate().has_value();
  std::vector<std::string> programs;
  std::optional<fs::path> monitor;
  if (installedSystem) {
    for (const char* program : kPrograms) {
      const auto installed = FindProgram(program);
      if (!installed) continue;
      programs.push_back(program);
      made.Note(dir / program);
      if (!LinkFile(*installed, dir / program, error)) return Fail("cannot link a program: " + error);
    }
    monitor = FindProgram(kMonitorProgram);
  } else {
    for (const char* program : kPrograms) {
      const auto candidate = FindProgram(program);
      if (!candidate) continue;
      programs.push_back(program);
      if (fs::equivalent(*candidate, dir / program, ec)) continue;  // installing onto the build
      made.Note(dir / program);
      if (!ReplaceFile(*candidate, dir / program, error)) return Fail("cannot copy a program: " + error);
    }
    const auto module = FindQtModule();
    if (!programs.empty() && module && !fs::equivalent(*module, dir / kQtModule, ec)) {
      made.Note(dir / kQtModule);
      if (!ReplaceFile(*module, dir / kQtModule, error)) return Fail("cannot copy a program: " + error);
    }
    if (fs::is_regular_file(dir / kMonitorProgram, ec)) monitor = dir / kMonitorProgram;
  }

  const std::string ini = (dir / "Tandmon.ini").string();
  made.Note(ini);
  if (!platform::WritePrivateProfileString("Defaults", "Customizer", kCustomizerProgram, ini)) {
    return Fail("cannot write " + ini + ": " + platform::FileErrorText(platform::LastFileError()));
  }

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
  if (!SeedStore(*store, platform::ToDosPath(dir.string()), ports, error)) return Fail(error);
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
  std::printf("installed into %s: %d product files copied, %d kept; programs:%s%s\n", dir.c_str(), copied,
              kept, names.empty() ? " none built" : names.c_str(),
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
                kMonitorProgram, autostart == Autostart::kOn ? " or log in again" : "");
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
