// Name rules every host shares: case-insensitive comparison in the "C"
// locale, DOS wildcards and what makes a folder a product folder.
#include <string>
#include <string_view>

#include "platform/dospath.h"
#include "platform/fileops.h"

namespace platform {
namespace {

bool IsSep(char c) { return c == '\\' || c == '/'; }

bool MatchFrom(std::string_view p, std::string_view n) {
  std::size_t pi = 0, ni = 0, starP = std::string_view::npos, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || ToLowerAscii(p[pi]) == ToLowerAscii(n[ni]))) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::string_view::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

std::string ToLowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToLowerAscii(c);
  return out;
}

std::string ToUpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToUpperAscii(c);
  return out;
}

bool IsAbsoluteDosPath(std::string_view path) {
  if (!path.empty() && IsSep(path[0])) return true;
  return path.size() >= 3 && path[1] == ':' && IsSep(path[2]);
}

bool MatchWildcard(std::string_view pattern, std::string_view name) {
  return MatchFrom(pattern, name);
}

bool IsProductFolder(std::string_view dir) {
  const std::string base = std::string(dir) + "\\";
  return FileExists(base + "Tandmon.ini") || FileExists(base + "games.ini") ||
         DirectoryExists(base + "defaults");
}

}  // namespace platform
