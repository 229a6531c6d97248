#include "tools/install.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string_view>
#include <system_error>

#include "platform/dospath.h"
#include "platform/file.h"
#include "platform/joystick.h"
#include "platform/profile.h"
#include "tools/command.h"
#include "tools/product_paths.h"
#include "tuning/mva_joystick.h"

namespace fs = std::filesystem;

namespace tools {
namespace {

using platform::kHKeyLocalMachine;
using platform::Registry;
using platform::ScopedKey;

constexpr const char* kPrograms[] = {"Tandmon", "Chooser", "svcsetup"};

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

// The product tree, file by file; files already in DIR stay as they are.
bool CopyProduct(const fs::path& from, const fs::path& to, MadeByInstall& made, ProductCopy& copy,
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
      ++copy.kept;
      continue;
    }
    made.Note(target);
    if (!ReplaceFile(it->path(), target, error)) return false;
    ++copy.copied;
  }
  if (ec) {
    error = ErrorText(ec);
    return false;
  }
  return true;
}

}  // namespace

MadeByInstall::~MadeByInstall() {
  if (kept_) return;
  std::error_code ec;
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) fs::remove(*it, ec);
}

void MadeByInstall::Note(const fs::path& path) {
  std::vector<fs::path> missing;
  std::error_code ec;
  for (fs::path p = path; !p.empty() && !fs::exists(fs::symlink_status(p, ec)); p = p.parent_path()) {
    missing.push_back(p);
    if (p == p.parent_path()) break;
  }
  made_.insert(made_.end(), missing.rbegin(), missing.rend());
}

std::optional<fs::path> FolderArgument(const std::string& arg) {
  auto host = platform::ToHostPath(arg);
  if (!host) return std::nullopt;
  std::error_code ec;
  fs::path dir = fs::absolute(*host, ec);
  if (ec) return std::nullopt;
  return dir;
}

int MakeProductFolder(const fs::path& dir, MadeByInstall& made, ProductCopy& copy) {
  std::error_code ec;
  const fs::path product = TemplateFolder();
  if (!fs::is_directory(product, ec)) return Fail("no product files at " + product.string());
  // Every activation of a configuration whose path the driver cannot take
  // would fail: refuse before anything is copied.
  std::string dosDir = platform::ToDosPath(fs::weakly_canonical(dir, ec).string());
  while (dosDir.size() > 3 && dosDir.back() == '\\') dosDir.pop_back();
  if (std::string path = TooLongConfigPath(product, dosDir); !path.empty()) {
    return Fail("cannot install into " + dir.string() + ": the folder is too deep; its configuration file " +
                path + " would be " + std::to_string(path.size()) + " characters long, over the " +
                std::to_string(kMvaMaxCfgPath) + " the driver takes. Choose a shorter folder");
  }
  made.Note(dir);
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir)) return Fail("cannot create " + dir.string());
  std::string error;
  if (!CopyProduct(product, dir, made, copy, error)) return Fail("cannot copy the product files: " + error);
  return 0;
}

bool PutInPlace(const fs::path& dst, std::string& error,
                const std::function<void(const fs::path& tmp, std::error_code& ec)>& make) {
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

bool ReplaceFile(const fs::path& src, const fs::path& dst, std::string& error) {
  return PutInPlace(dst, error, [&](const fs::path& tmp, std::error_code& ec) {
    if (!platform::CopyIntoTemporary(src.string(), tmp.string())) ec.assign(errno, std::generic_category());
  });
}

std::vector<std::string> ProgramNames() {
  std::vector<std::string> names;
  for (const char* program : kPrograms) names.push_back(program + std::string(kProgramSuffix));
  return names;
}

std::string CustomizerProgram() { return "Chooser" + std::string(kProgramSuffix); }
std::string MonitorProgram() { return "Tandmon" + std::string(kProgramSuffix); }

bool CopyPrograms(const fs::path& dir, MadeByInstall& made, std::vector<std::string>& copied, std::string& error) {
  std::error_code ec;
  for (const std::string& program : ProgramNames()) {
    const auto candidate = FindProgram(program);
    if (!candidate) continue;
    copied.push_back(program);
    if (fs::equivalent(*candidate, dir / program, ec)) continue;  // installing onto the build
    made.Note(dir / program);
    if (!ReplaceFile(*candidate, dir / program, error)) {
      error = "cannot copy a program: " + error;
      return false;
    }
  }
  return true;
}

bool NameCustomizer(const fs::path& dir, MadeByInstall& made, std::string& error) {
  const std::string ini = (dir / "Tandmon.ini").string();
  made.Note(ini);
  if (platform::WritePrivateProfileString("Defaults", "Customizer", CustomizerProgram(), ini)) return true;
  error = "cannot write " + ini + ": " + platform::FileErrorText(platform::LastFileError());
  return false;
}

bool SeedStore(Registry& reg, const std::string& dosDir, const std::vector<std::string>* ports,
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
  if (ports != nullptr) {
    const std::string path = "hardware\\devicemap\\serialcomm";
    platform::RegStatus s = reg.DeleteKey(kHKeyLocalMachine, path);
    if (s != platform::kRegFileNotFound && !Ok(s, path, error)) return false;
    ScopedKey serial(reg);
    if (!Ok(reg.CreateKey(kHKeyLocalMachine, path, serial.handle()), path, error)) return false;
    for (std::size_t i = 0; i < ports->size(); ++i) {
      const std::string name = "COM" + std::to_string(i + 1);
      if (!Ok(reg.SetString(serial.get(), name, (*ports)[i]), name, error)) return false;
    }
  }
  reg.FlushKey(kHKeyLocalMachine);
  return true;
}

}  // namespace tools
