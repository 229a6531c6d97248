// The file help opens for a help file, on every host: a readable companion
// beside it is preferred, since the original platform's help format has no
// viewer here.
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

}  // namespace ui
