// tandrix start PROGRAM [ARG...]: runs a program of the system in the
// player's product folder, as the desktop's menu entries do. The programs
// take their current directory as their product folder, and a menu entry
// shipped for every user cannot name the folder of one.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/command.h"
#include "tools/product_paths.h"
#include "ui/frontend.h"
#include "ui/win_constants.h"

namespace fs = std::filesystem;

namespace tools {
namespace {

constexpr const char* kStartable[] = {"Tandmon", "Chooser", "svcsetup"};

// Started from a menu, nobody reads standard error: where there is a
// display, the reason is also shown in a message box.
int FailInWindow(const std::string& program, const std::string& why) {
  const int code = Fail(why);
  int argc = 1;
  std::string self = "tandrix";
  char* argv[] = {self.data(), nullptr};
  std::unique_ptr<ui::Application> app = ui::CreateApplication(argc, argv);
  if (app->ShowsDialogs()) {
    app->Dialogs().MessageBox(nullptr, program + " cannot start: " + why + ".", "Tandrix", MB_OK | MB_ICONSTOP);
  }
  return code;
}

// "tandrix install" for the player's folder, without autostart, in a child
// process: its output is what install says. False with its last words in
// why when it failed.
bool InstallPlayerFolder(std::string& why) {
  int out[2];
  if (::pipe(out) != 0) {
    why = std::strerror(errno);
    return false;
  }
  const std::string self = (ToolFolder() / "tandrix").string();
  const pid_t child = ::fork();
  if (child < 0) {
    why = std::strerror(errno);
    ::close(out[0]);
    ::close(out[1]);
    return false;
  }
  if (child == 0) {
    ::dup2(out[1], STDERR_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    ::execl(self.c_str(), self.c_str(), "install", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  std::string said;
  char buffer[512];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    said.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(out[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  std::fputs(said.c_str(), stderr);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  while (!said.empty() && said.back() == '\n') said.pop_back();
  if (said.starts_with("tandrix: ")) said.erase(0, 9);
  why = said.empty() ? "tandrix install failed" : said;
  return false;
}

int Start(const Args& a) {
  if (a.empty()) return UsageError("start needs a PROGRAM: Tandmon, Chooser or svcsetup");
  bool known = false;
  for (const char* name : kStartable) known = known || a[0] == name;
  if (!known) return UsageError("start: " + a[0] + " is not Tandmon, Chooser or svcsetup");
  const fs::path folder = PlayerFolder();
  if (!IsProductFolder(folder)) {
    // The first start, from a menu entry, before anybody ran "tandrix
    // install": the player's folder is made as install makes it (the
    // monitor is not put into autostart unasked) and the program starts.
    std::string why;
    if (!InstallPlayerFolder(why)) {
      return FailInWindow(a[0], "the product folder " + folder.string() + " could not be made: " + why);
    }
  }
  // A folder installed from a build holds its own copy of the program.
  std::error_code ec;
  std::optional<fs::path> program = FindProgram(a[0]);
  if (!InstalledTemplate() && fs::is_regular_file(folder / a[0], ec)) program = folder / a[0];
  if (!program) return FailInWindow(a[0], a[0] + " was not built");
  if (::chdir(folder.c_str()) != 0) return FailInWindow(a[0], folder.string() + ": " + std::strerror(errno));
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
    "($XDG_DATA_HOME/tandrix), with the arguments given. The desktop's menu entries\n"
    "start the programs this way. Where the folder does not exist yet, it is made\n"
    "first as \"tandrix install\" makes it (without --autostart); where that cannot\n"
    "be done, a window says why when there is a display.\n");

}  // namespace
}  // namespace tools
