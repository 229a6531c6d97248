#include "service_setup/service_games.h"

#include "platform/profile.h"

namespace {

constexpr std::string_view kSection = "Services";
constexpr std::string_view kCurrentGameKey = "CurrentGame";

constexpr ServiceGame kGames[] = {
    {"Duke", "duke3d.exe", "mvaduke.exe", "C:\\duke\\duke3d.exe"},
    {"Quake", "quaketen.exe", "mvaquake.exe", "C:\\quake\\quaketen.exe"},
    {"Descent", "descento.exe", "mvadcent.exe", "C:\\descent\\descento.exe"},
};

}  // namespace

const ServiceGame* FindServiceGame(int game) {
  if (game < 0 || game >= static_cast<int>(std::size(kGames))) return nullptr;
  return &kGames[game];
}

std::string ServicesIniPath(std::string_view productDir) {
  std::string path(productDir);
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path + "\\tandmon.ini";
}

std::string ReadServiceGamePath(std::string_view productDir, int game) {
  const ServiceGame* g = FindServiceGame(game);
  if (g == nullptr) return {};
  return platform::GetPrivateProfileString(kSection, g->gameName, g->defaultPath,
                                           kServicePathBuffer, ServicesIniPath(productDir));
}

std::string ReadCurrentGame(std::string_view productDir) {
  return platform::GetPrivateProfileString(kSection, kCurrentGameKey, "", kServicePathBuffer,
                                           ServicesIniPath(productDir));
}

bool RecordServiceGame(std::string_view productDir, int game, std::string_view gamePath) {
  const ServiceGame* g = FindServiceGame(game);
  if (g == nullptr) return false;
  const std::string ini = ServicesIniPath(productDir);
  const bool own = platform::WritePrivateProfileString(kSection, g->gameName, gamePath, ini);
  const bool current = platform::WritePrivateProfileString(kSection, kCurrentGameKey, gamePath, ini);
  return own && current;
}
