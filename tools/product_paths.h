// Where the tandrix tool finds what it installs and runs.
//
// Two layouts: the build folder of a source tree (programs in build/monitor,
// build/customizer ..., product files in the source tree's product/) and an
// installed system (programs in PREFIX/bin beside tandrix, the Qt front end
// in PREFIX/lib/tandrix, the product template in PREFIX/share/tandrix).
// On Windows the programs are looked for beside tandrix.exe first, then in
// the build folder, and the product files in a "product" folder beside it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tools {

// What a program's file name ends in on this host.
#ifdef _WIN32
inline constexpr const char kProgramSuffix[] = ".exe";
#else
inline constexpr const char kProgramSuffix[] = "";
#endif

// The folder the running tandrix executable is in.
std::filesystem::path ToolFolder();

// PREFIX/share/tandrix when tandrix runs from an installed system, else
// nullopt.
std::optional<std::filesystem::path> InstalledTemplate();

// The product template to install from: $TANDRIX_PRODUCT, else the
// installed template (on Windows: "product" beside tandrix.exe), else the
// source tree's product/ folder.
std::filesystem::path TemplateFolder();

// The player's product folder: $XDG_DATA_HOME/tandrix, else
// ~/.local/share/tandrix. Windows has none: empty there, and a product
// folder is always named.
std::filesystem::path PlayerFolder();

// An executable program of the system (Tandmon, Chooser, svcsetup, with
// kProgramSuffix): beside tandrix when installed, else where the build puts
// it. nullopt when it was not built.
std::optional<std::filesystem::path> FindProgram(const std::string& name);

// The Qt front end module, found the same way; nullopt when not built.
std::optional<std::filesystem::path> FindQtModule();

// A folder with Tandmon.ini, games.ini or defaults/ in it (any case): what
// a program needs to run there.
bool IsProductFolder(const std::filesystem::path& dir);

// The user's home folder (the Linux desktop's).
std::filesystem::path HomeFolder();

}  // namespace tools
