#include "customizer/game_files.h"

#include "platform/dospath.h"
#include "platform/fileops.h"
#include "platform/profile.h"

namespace {

std::string SectionName(int n) { return "Game" + std::to_string(n); }

std::string ReadGameText(const std::string& section, std::string_view key) {
  return platform::GetPrivateProfileString(section, key, "", kGameTextBuffer, kGamesIni);
}

}  // namespace

std::string ReadCurrentConfigName() {
  return platform::GetPrivateProfileString("Games", "Current", kDefaultCurrentConfig,
                                           kGameTextBuffer, kTandmonIni);
}

std::string ReadPlayerSubdir() {
  constexpr std::size_t kPlayerBuffer = 80;
  const std::string current =
      platform::GetPrivateProfileString("Players", "Current", "Defaults", kPlayerBuffer, kTandmonIni);
  int n = 1;
  for (;; ++n) {
    const std::string player = platform::GetPrivateProfileString(
        "Players", "Player" + std::to_string(n), "", kPlayerBuffer, kTandmonIni);
    if (player.empty() || player == current) break;
  }
  return platform::GetPrivateProfileString("Players", "SubDir" + std::to_string(n), "Defaults",
                                           kPlayerBuffer, kTandmonIni);
}

std::string FindCurrentConfigFile(std::string_view name, std::string_view gamesDirectory) {
  if (name.empty()) return {};
  const std::string file(name);
  for (const std::string& candidate : {ReadPlayerSubdir() + "\\" + file, "Defaults\\" + file,
                                       std::string(gamesDirectory) + "\\" + file, file}) {
    if (platform::IsRegularFile(candidate)) return candidate;
  }
  return {};
}

int ReadNewGame(std::string_view section) {
  return platform::GetPrivateProfileInt(section, "NewGame", 2, kGamesIni);
}

bool WriteNewGame(std::string_view section, int value) {
  return platform::WritePrivateProfileString(section, "NewGame", std::to_string(value), kGamesIni);
}

std::optional<GameSection> FindGameByVcg(std::string_view fileName) {
  for (int n = 1;; ++n) {
    const std::string section = SectionName(n);
    const std::string vcg = ReadGameText(section, "GameVcg");
    if (vcg.empty()) return std::nullopt;
    if (platform::EqualsNoCase(vcg, fileName)) return GameSection{section, ReadNewGame(section)};
  }
}

std::optional<GameSection> FindGameByTitle(std::string_view title) {
  for (int n = 1;; ++n) {
    const std::string section = SectionName(n);
    const std::string gameTitle = ReadGameText(section, "GameTitle");
    if (gameTitle.empty()) return std::nullopt;
    if (gameTitle == title) return GameSection{section, ReadNewGame(section)};
  }
}

std::vector<WinGameRow> ReadWinGameRows() {
  std::vector<WinGameRow> rows = {
      {"Generic", "Generic.vcg", ""},
      {"Joystick Emulation (2-axis)", "Joy2d.vcg", ""},
      {"Joystick Emulation (with Rudder)", "Joy3d.vcg", ""},
  };
  for (int n = 1; rows.size() < static_cast<std::size_t>(kMaxWinGameRows); ++n) {
    const std::string section = SectionName(n);
    if (platform::GetPrivateProfileInt(section, "Show", 1, kGamesIni) == 0) continue;
    std::string title = ReadGameText(section, "GameTitle");
    if (title.empty()) break;
    std::string vcg = ReadGameText(section, "GameVcg");
    if (platform::EqualsNoCase(vcg, kChickenVcg)) continue;
    rows.push_back({std::move(title), std::move(vcg), section});
  }
  return rows;
}
