// tandrix start PROGRAM [ARG...]: runs a program of the system in the
// player's product folder, as the desktop's menu entries do. The programs
// take their current directory as their product folder, and a menu entry
// shipped for every user cannot name the folder of one.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/command.h"
#include "tools/product_paths.h"

namespace fs = std::filesystem;

namespace tools {
namespace {

constexpr const char* kStartable[] = {"Tandmon", "Chooser", "svcsetup"};

int Start(const Args& a) {
  if (a.empty()) return UsageError("start needs a PROGRAM: Tandmon, Chooser or svcsetup");
  bool known = false;
  for (const char* name : kStartable) known = known || a[0] == name;
  if (!known) return UsageError("start: " + a[0] + " is not Tandmon, Chooser or svcsetup");
  const fs::path folder = PlayerFolder();
  if (!IsProductFolder(folder)) {
    return Fail("there is no product folder at " + folder.string() + " yet: make it with \"tandrix install\"");
  }
  // A folder installed from a build holds its own copy of the program.
  std::error_code ec;
  std::optional<fs::path> program = FindProgram(a[0]);
  if (!InstalledTemplate() && fs::is_regular_file(folder / a[0], ec)) program = folder / a[0];
  if (!program) return Fail(a[0] + " was not built");
  if (::chdir(folder.c_str()) != 0) return Fail(folder.string() + ": " + std::strerror(errno));
  std::vector<char*> argv;
  std::string self = program->string();
  argv.push_back(self.data());
  Args rest(a.begin() + 1, a.end());
  for (std::string& arg : rest) argv.push_back(arg.data());
  argv.push_back(nullptr);
  ::execv(self.c_str(), argv.data());
  return Fail("cannot start " + self + ": " + std::strerror(errno));
}

const Command kStart(
    "start", "start PROGRAM [ARG...]", Start,
    "Runs Tandmon, Chooser or svcsetup in the player's product folder\n"
    "($XDG_DATA_HOME/tandrix, made by \"tandrix install\"), with the arguments\n"
    "given. The desktop's menu entries start the programs this way.\n");

}  // namespace
}  // namespace tools
