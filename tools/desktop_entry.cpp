#include "tools/desktop_entry.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "platform/file.h"
#include "tools/command.h"
#include "tools/product_paths.h"

namespace fs = std::filesystem;

namespace tools {
namespace {

// Backslash, and the line breaks that would end the value, as the string
// type of a desktop entry writes them.
std::string EscapeString(const std::string& value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

fs::path AutostartFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    return fs::path(xdg) / "autostart";
  }
  return HomeFolder() / ".config/autostart";
}

std::string ExecArgument(const std::string& arg) {
  static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`%";
  if (!arg.empty() && arg.find_first_of(kReserved) == std::string::npos) return arg;
  std::string quoted = "\"";
  for (char c : arg) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    // A field code would be expanded by the launcher even in quotes.
    if (c == '%') quoted += '%';
    quoted += c;
  }
  quoted += '"';
  return EscapeString(quoted);
}

std::string AutostartEntry(const fs::path& monitor, const fs::path& productFolder) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Tandrix Monitor\n"
         "Comment=Makes the tuning of the game being played live for the Tandrix\n"
         "Icon=tandrix\n"
         // Once the package is removed the program is gone and the entry
         // stays in the player's folder: a desktop skips an entry whose
         // TryExec is missing instead of failing at every login.
         "TryExec=" + EscapeString(monitor.string()) + "\n"
         "Exec=" + ExecArgument(monitor.string()) + "\n"
         "Path=" + EscapeString(productFolder.string()) + "\n"
         "Terminal=false\n"
         "NoDisplay=true\n";
}

bool WriteAutostart(const fs::path& monitor, const fs::path& productFolder, std::string& error) {
  const fs::path folder = AutostartFolder();
  std::error_code ec;
  fs::create_directories(folder, ec);
  const fs::path target = folder / kAutostartFile;
  const fs::path tmp = platform::CreateTemporaryBeside(target.string());
  if (tmp.empty()) {
    error = target.string() + ": " + platform::FileErrorText(platform::LastFileError());
    return false;
  }
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << AutostartEntry(monitor, productFolder);
    out.close();
    if (!out || !platform::SyncHostFile(tmp.string())) {
      fs::remove(tmp, ec);
      error = "cannot write " + target.string();
      return false;
    }
  }
  fs::rename(tmp, target, ec);
  if (ec) {
    const std::string why = ErrorText(ec);
    fs::remove(tmp, ec);
    error = target.string() + ": " + why;
    return false;
  }
  return true;
}

bool RemoveAutostart(std::string& error) {
  std::error_code ec;
  fs::remove(AutostartFolder() / kAutostartFile, ec);
  if (ec) {
    error = (AutostartFolder() / kAutostartFile).string() + ": " + ErrorText(ec);
    return false;
  }
  return true;
}

}  // namespace tools
