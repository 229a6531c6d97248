// WinHelp on every host: the file it opens for a help file (a readable
// companion beside it is preferred, since the original platform's help
// format has no viewer here); the host shows it.
#include <sys/stat.h>

#include "platform/dospath.h"
#include "ui/help.h"

namespace ui {

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string HelpFileToOpen(std::string_view helpFile) {
  const auto host = platform::ToHostPath(helpFile);
  if (!host) return {};
  std::string base = *host;
  const std::size_t slash = base.rfind('/');
  const std::size_t dot = base.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) base.erase(dot);
  for (const char* ext : {".html", ".htm", ".pdf", ".txt"}) {
    if (auto companion = platform::ToHostPath(base + ext); companion && IsRegularFile(*companion)) {
      return *companion;
    }
  }
  return IsRegularFile(*host) ? *host : std::string();
}

bool WinHelp(std::string_view helpFile, unsigned command, unsigned long, std::string* why) {
  if (command == HELP_QUIT) return true;
  const std::string file = HelpFileToOpen(helpFile);
  if (file.empty()) {
    if (why != nullptr) *why = "help file " + std::string(helpFile) + " not found";
    return false;
  }
  return OpenHelpFile(file, why);
}

}  // namespace ui
