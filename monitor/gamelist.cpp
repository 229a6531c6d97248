#include "monitor/gamelist.h"

#include <string>

#include "monitor/monitor_state.h"
#include "platform/dospath.h"
#include "platform/profile.h"

namespace {

std::string Numbered(std::string_view prefix, int n) {
  std::string key(prefix);
  key += std::to_string(n);
  return key;
}

// Values File1, File2, ... of a section up to the first missing or empty one.
std::vector<std::string> ReadNumberedList(const std::string& section, std::string_view prefix,
                                          const std::string& file) {
  std::vector<std::string> values;
  for (int n = 1;; ++n) {
    std::string v = platform::GetPrivateProfileString(section, Numbered(prefix, n), "",
                                                      kGameFileBuffer, file);
    if (v.empty()) break;
    values.push_back(std::move(v));
  }
  return values;
}

}  // namespace

std::size_t NoCaseHash::operator()(std::string_view s) const {
  // FNV-1a over the lower-case bytes.
  std::size_t h = 1469598103934665603ull;
  for (char c : s) {
    h ^= static_cast<unsigned char>(platform::ToLowerAscii(c));
    h *= 1099511628211ull;
  }
  return h;
}

bool NoCaseEqual::operator()(std::string_view a, std::string_view b) const {
  return platform::EqualsNoCase(a, b);
}

void GameList::Append(std::shared_ptr<GameEntry> entry) {
  byExe[entry->exeName].push_back(entries.size());
  entries.push_back(std::move(entry));
}

const std::vector<std::size_t>* GameList::Find(std::string_view exeName) const {
  auto it = byExe.find(exeName);
  return it == byExe.end() ? nullptr : &it->second;
}

std::string GamesIniPath() { return platform::CurrentDirectory() + "\\games.ini"; }
std::string SettingsIniPath() { return platform::CurrentDirectory() + "\\Tandmon.ini"; }

void LoadGameList(GameList& list) {
  FreeGameList(list);
  const std::string file = GamesIniPath();
  for (int n = 1;; ++n) {
    const std::string section = Numbered("Game", n);
    std::string title =
        platform::GetPrivateProfileString(section, "GameTitle", "", kGameNameBuffer, file);
    if (title.empty()) break;
    auto entry = std::make_shared<GameEntry>();
    entry->number = n;
    entry->title = std::move(title);
    entry->exeName =
        platform::GetPrivateProfileString(section, "GameExe", "", kGameNameBuffer, file);
    entry->configName =
        platform::GetPrivateProfileString(section, "GameVcg", "", kGameNameBuffer, file);
    entry->files = ReadNumberedList(section, "File", file);
    entry->modifications = ReadNumberedList(section, "Modify", file);
    entry->newGame = platform::GetPrivateProfileInt(section, "NewGame", kNewGameUnset, file);
    list.Append(std::move(entry));
  }
}

void FreeGameList(GameList& list) {
  list.entries.clear();
  list.byExe.clear();
}

void LoadMonitorSettings(MonitorState& state) {
  // The whole working directory is used: a product directory with a long
  // path must not silently lose its settings.
  const std::string file = SettingsIniPath();
  state.showJoystick = platform::GetPrivateProfileInt("Defaults", "ShowJoystick", 1, file);
  state.currentPlayer =
      platform::GetPrivateProfileString("Players", "Current", "Defaults", kPlayerBuffer, file);
  int n = 1;
  for (;; ++n) {
    std::string player = platform::GetPrivateProfileString("Players", Numbered("Player", n), "",
                                                           kPlayerBuffer, file);
    // Player names are matched exactly: "bob" is not Bob.
    if (player.empty() || player == state.currentPlayer) break;
  }
  state.playerSubdir = platform::GetPrivateProfileString("Players", Numbered("SubDir", n),
                                                         "Defaults", kPlayerBuffer, file);
  state.customizerPath = platform::GetPrivateProfileString("Defaults", "Customizer",
                                                           "TandCfg.exe", kSettingBuffer, file);
  state.defaultConfigPath =
      "defaults\\" + platform::GetPrivateProfileString("Defaults", "Config", "Joy3D.vcg",
                                                       kSettingBuffer, file);
}

void RecordPlayedGame(std::string_view title) {
  // An empty title would only add an empty key; there is nothing to record.
  if (title.empty()) return;
  const std::string file = SettingsIniPath();
  for (int n = 1;; ++n) {
    std::string key = Numbered("Game", n);
    std::string played = platform::GetPrivateProfileString("Games", key, "", kPlayedBuffer, file);
    if (played == title) return;
    if (played.empty()) {
      platform::WritePrivateProfileString("Games", key, title, file);
      return;
    }
  }
}
