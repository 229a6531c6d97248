#include "customizer/shared_strings.h"

#include "platform/dospath.h"
#include "tuning/mva_joystick.h"

namespace {

struct SharedStrings {
  std::string appTitle{kCustomizerTitle};
  std::string startDirectory = ".";
  std::string gamesDirectory = ".\\games";
  std::string supportDirectory = ".\\support";
};

SharedStrings& Shared() {
  static SharedStrings s;
  return s;
}

}  // namespace

const std::string& AppTitle() { return Shared().appTitle; }
void SetAppTitle(std::string_view title) { Shared().appTitle = title; }
const std::string& StartDirectory() { return Shared().startDirectory; }
void SetStartDirectory(std::string_view dir) { Shared().startDirectory = dir; }
const std::string& GamesDirectory() { return Shared().gamesDirectory; }
void SetGamesDirectory(std::string_view dir) { Shared().gamesDirectory = dir; }
const std::string& SupportDirectory() { return Shared().supportDirectory; }
void SetSupportDirectory(std::string_view dir) { Shared().supportDirectory = dir; }

void InitSharedStrings(std::string_view appTitle) {
  // A directory that does not fit the platform's path buffer is as good as
  // unreadable; "." names the same folder for every later relative path.
  std::string cwd = platform::CurrentDirectory();
  SetStartDirectory(cwd.empty() || cwd.size() >= platform::kMaxPath ? "." : cwd);

  std::string dosDir;
  if (MVA_GetDosInstallDirectory(dosDir, platform::kMaxPath) != 0) dosDir = ".";
  SetGamesDirectory(dosDir + "\\games");
  SetSupportDirectory(dosDir + "\\support");
  SetAppTitle(appTitle);
}
