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
                                          const platform::PrivateProfile& ini) {
  std::vector<std::string> values;
  for (int n = 1;; ++n) {
    std::string v = ini.GetString(section, Numbered(prefix, n), "", kGameFileBuffer);
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

bool LoadGameList(GameList& list, const std::function<bool()>& keepGoing) {
  FreeGameList(list);
  // Read and parsed once: looking every key up in the file again would make
  // a long list take quadratic time.
  // Taken before the read: a change made while it reads is seen next time.
  list.stamp = platform::GetFileStamp(GamesIniPath());
  const platform::PrivateProfile ini(GamesIniPath());
  for (int n = 1;; ++n) {
    // How often a long load looks whether the program is asked to end.
    constexpr int kCheckEvery = 1024;
    if (keepGoing && n % kCheckEvery == 0 && !keepGoing()) return false;
    const std::string section = Numbered("Game", n);
    std::string title = ini.GetString(section, "GameTitle", "", kGameNameBuffer);
    if (title.empty()) break;
    auto entry = std::make_shared<GameEntry>();
    entry->number = n;
    entry->title = std::move(title);
    entry->exeName = ini.GetString(section, "GameExe", "", kGameNameBuffer);
    entry->configName = ini.GetString(section, "GameVcg", "", kGameNameBuffer);
    entry->files = ReadNumberedList(section, "File", ini);
    entry->modifications = ReadNumberedList(section, "Modify", ini);
    entry->newGame = ini.GetInt(section, "NewGame", kNewGameUnset);
    list.Append(std::move(entry));
  }
  return true;
}

void FreeGameList(GameList& list) {
  list.entries.clear();
  list.byExe.clear();
  list.stamp = {};
}

void LoadMonitorSettings(MonitorState& state) {
  // The whole working directory is used: a product directory with a long
  // path must not silently lose its settings.
  state.settingsStamp = platform::GetFileStamp(SettingsIniPath());
  const platform::PrivateProfile ini(SettingsIniPath());
  state.notify = ini.GetInt("Defaults", "Notify", 1);
  state.showJoystick = ini.GetInt("Defaults", "ShowJoystick", 1);
  state.currentPlayer = ini.GetString("Players", "Current", "Defaults", kPlayerBuffer);
  int n = 1;
  for (;; ++n) {
    std::string player = ini.GetString("Players", Numbered("Player", n), "", kPlayerBuffer);
    // Player names are matched exactly: "bob" is not Bob.
    if (player.empty() || player == state.currentPlayer) break;
  }
  state.playerSubdir =
      ini.GetString("Players", Numbered("SubDir", n), "Defaults", kPlayerBuffer);
  state.customizerPath = ini.GetString("Defaults", "Customizer", "TandCfg.exe", kSettingBuffer);
  state.defaultConfigPath =
      "defaults\\" + ini.GetString("Defaults", "Config", "Joy3D.vcg", kSettingBuffer);
}

void RecordPlayedGame(std::string_view title) {
  // An empty title would only add an empty key; there is nothing to record.
  if (title.empty()) return;
  const std::string file = SettingsIniPath();
  const platform::PrivateProfile ini(file);
  for (int n = 1;; ++n) {
    std::string key = Numbered("Game", n);
    std::string played = ini.GetString("Games", key, "", kPlayedBuffer);
    if (played == title) return;
    if (played.empty()) {
      platform::WritePrivateProfileString("Games", key, title, file);
      return;
    }
  }
}
