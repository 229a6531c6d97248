#include "tools/product_paths.h"

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <system_error>

#include "platform/dospath.h"
#include "platform/fileops.h"
#include "platform/process.h"

namespace fs = std::filesystem;

namespace tools {
namespace {

// Where the build puts the programs, relative to the folder of tandrix.
constexpr const char* kProgramFolders[] = {".",          "../monitor",     "../monitor/app",
                                           "../customizer", "../customizer/app", "../service_setup",
                                           "../service_setup/app"};
// The Qt front end, where the programs look for it: beside them in a
// product folder, lib/tandrix when installed, bin/ in the build folder.
constexpr const char kQtModule[] = "libtandrix_ui_qt.so";
constexpr const char* kModuleFolders[] = {"../lib/tandrix", ".", "../bin"};

bool IsExecutableFile(const fs::path& p) {
  std::error_code ec;
#ifdef _WIN32
  return fs::is_regular_file(p, ec);
#else
  return fs::is_regular_file(p, ec) && ::access(p.c_str(), X_OK) == 0;
#endif
}

}  // namespace

fs::path ToolFolder() {
  std::error_code ec;
#ifdef _WIN32
  const auto self = platform::ToHostPath(platform::ProgramPath());
  return self ? fs::path(*self).parent_path() : fs::current_path(ec);
#else
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path(ec) : self.parent_path();
#endif
}

std::optional<fs::path> InstalledTemplate() {
  const fs::path tools = ToolFolder();
  std::error_code ec;
#ifdef _WIN32
  // What a Windows package holds: the programs and a product folder beside
  // tandrix.exe.
  if (!fs::is_regular_file(tools / "product" / "Tandmon.ini", ec)) return std::nullopt;
  return tools / "product";
#else
  if (tools.filename() != "bin") return std::nullopt;
  const fs::path share = (tools / "../share/tandrix").lexically_normal();
  if (!fs::is_regular_file(share / "Tandmon.ini", ec)) return std::nullopt;
  return share;
#endif
}

fs::path TemplateFolder() {
  if (const char* env = std::getenv("TANDRIX_PRODUCT"); env != nullptr && env[0] != '\0') return env;
  if (auto installed = InstalledTemplate()) return *installed;
  return TANDRIX_PRODUCT_DIR;
}

#ifndef _WIN32
fs::path HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  if (passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) return pw->pw_dir;
  return "/";
}
#endif

fs::path PlayerFolder() {
#ifdef _WIN32
  return {};
#else
  // A relative XDG_DATA_HOME is invalid and ignored, as the convention asks.
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
    return fs::path(xdg) / "tandrix";
  }
  return HomeFolder() / ".local/share/tandrix";
#endif
}

std::optional<fs::path> FindProgram(const std::string& name) {
  const fs::path tools = ToolFolder();
  if (InstalledTemplate()) {
    if (IsExecutableFile(tools / name)) return tools / name;
    return std::nullopt;
  }
  for (const char* folder : kProgramFolders) {
    const fs::path candidate = (tools / folder / name).lexically_normal();
    if (IsExecutableFile(candidate)) return candidate;
  }
  return std::nullopt;
}

std::optional<fs::path> FindQtModule() {
  const fs::path tools = ToolFolder();
  std::error_code ec;
  for (const char* folder : kModuleFolders) {
    const fs::path candidate = (tools / folder / kQtModule).lexically_normal();
    if (fs::is_regular_file(candidate, ec)) return candidate;
  }
  return std::nullopt;
}

bool IsProductFolder(const fs::path& dir) { return platform::IsProductFolder(dir.string()); }

}  // namespace tools
