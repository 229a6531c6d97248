#include "customizer/dos_game_list.h"

#include <algorithm>

#include "platform/dospath.h"
#include "platform/file.h"

namespace {

constexpr std::size_t kSectionLineLimit = 127;
constexpr std::size_t kEntryLineLimit = 31;
constexpr std::string_view kGameCfgKey = "GAMECFG";
constexpr std::string_view kSetupSection = "Setup";

std::string_view TrimLineEnd(std::string_view s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The GAMECFG value of one line of a section as read, or "" when the line
// is not a GAMECFG line or its value is empty. The key is the first seven
// characters; the eighth (normally "=") is dropped and the value begins at
// the ninth, after any further blanks and "=".
bool GameCfgValue(std::string_view line, std::string& value) {
  if (!platform::EqualsNoCase(line.substr(0, kGameCfgKey.size()), kGameCfgKey)) return false;
  value.clear();
  if (line.size() <= kGameCfgKey.size() + 1) return true;
  std::string_view v = line.substr(kGameCfgKey.size() + 1);
  while (!v.empty() && (v.front() == ' ' || v.front() == '=')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t' || v.back() == '\n' || v.back() == '\r')) {
    v.remove_suffix(1);
  }
  value = v;
  return true;
}

}  // namespace

CDosGameList::CDosGameList(std::string_view setupCfgPath) {
  platform::File file;
  if (!file.Open(setupCfgPath, platform::OpenMode::ReadText)) return;
  std::string line;
  while (file.ReadLine(line, kSectionLineLimit)) {
    if (line.empty() || line.front() != '[') continue;
    std::string_view name(line);
    const std::size_t close = name.rfind(']');
    name = close != std::string_view::npos ? name.substr(0, close) : TrimLineEnd(name);
    name.remove_prefix(1);
    if (platform::EqualsNoCase(name, kSetupSection)) continue;
    std::string gameName(name);

    const std::int64_t afterSection = file.Tell();
    std::string value;
    std::string entry;
    while (file.ReadLine(entry, kEntryLineLimit)) {
      if (entry.front() == '[') break;
      if (GameCfgValue(entry, value)) break;
    }
    if (value.empty()) {
      // The line that ended the scan may open the next game: read it again.
      file.Seek(afterSection);
      continue;
    }
    std::replace(gameName.begin(), gameName.end(), '_', ' ');
    entries_.push_back({std::move(gameName), std::move(value)});
  }
}
