#include "monitor/watcher.h"

#include <string>

#include "monitor/host.h"
#include "monitor/logerror.h"
#include "monitor/monitor_state.h"
#include "monitor/prepare.h"
#include "monitor/strings.h"
#include "platform/dospath.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "tuning/mva_config.h"
#include "tuning/mva_joystick.h"
#include "tuning/mva_serial.h"

namespace {

// Parts of a process path, as the path buffers hold them.
constexpr std::size_t kPathChars = 259;
// Value buffers of the tokens read while registering a game.
constexpr std::size_t kTypeBuffer = 260;
constexpr std::size_t kTitleBuffer = 80;

constexpr std::string_view kHelpNoJoystickPanel = "nojoycp.hlp";
constexpr std::string_view kSystemPanelArgs = " shell32.dll,Control_RunDLL sysdm.cpl,@1";

// Sets the watch timer again when a tick ends, whichever way it ends.
class TimerRestart {
 public:
  explicit TimerRestart(MonitorState& state) : state_(state) {
    state_.host->KillWatchTimer(state_.timerId);
  }
  ~TimerRestart() { state_.timerId = state_.host->SetWatchTimer(); }
  TimerRestart(const TimerRestart&) = delete;
  TimerRestart& operator=(const TimerRestart&) = delete;

 private:
  MonitorState& state_;
};

int ActivateDefault(MonitorState& state) {
  return ActivateConfig(state, state.defaultConfigPath, "");
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// A listed game's configuration at path has just been made live.
void GameMadeLive(MonitorState& state, GameEntry& entry, std::size_t position,
                  const std::string& path) {
  std::string lower = platform::ToLowerAscii(path);
  if (!Contains(lower, "chicken.vcg") && !Contains(lower, "train.vcg")) {
    platform::WritePrivateProfileString("Games", "Current", entry.configName, SettingsIniPath());
  }
  state.liveTitle = entry.title;
  if (entry.newGame == 1) state.host->OfferInstructions(state, static_cast<int>(position));
}

// A listed game's process was found and its configuration is not live yet.
int ListedGameStarted(MonitorState& state, const std::shared_ptr<GameEntry>& entry,
                      std::size_t position, const std::string& processDir,
                      const std::string& exeName) {
  if (platform::EqualsNoCase(entry->configName, state.currentConfig)) return 0;

  // A directory without the marker is prepared once the game has ended. A
  // process whose folder is unknown has nothing to prepare: the marker
  // and the edits would land in the drive's root.
  if (!processDir.empty() && !platform::FileExists(processDir + "\\tandrix.mrk")) {
    state.pendingPrepare = true;
    state.prepareDir = processDir;
    state.prepareEntry = entry;
    if (!entry->files.empty()) state.copyEntry = entry;
  }

  // Read on every start: the instructions dialog or the customizer may have
  // changed it since the list was loaded.
  const std::string section = "Game" + std::to_string(position + 1);
  entry->newGame =
      platform::GetPrivateProfileInt(section, "NewGame", kNewGameUnset, GamesIniPath());

  state.currentConfig = entry->configName;
  state.runningGameExe = exeName;

  std::string path = state.playerSubdir + "\\" + entry->configName;
  if (!platform::FileExists(path)) path = "defaults\\" + entry->configName;

  int r = ActivateConfig(state, path, state.currentConfig);
  if (r == 0) {
    GameMadeLive(state, *entry, position, path);
  } else if (!state.storeRetryPath.empty()) {
    state.retryEntry = entry;
    state.retryPosition = position;
  }
  RecordPlayedGame(entry->title);
  return 1;
}

// The running game's activation waited for the store: try it again.
int RetryGame(MonitorState& state) {
  const std::shared_ptr<GameEntry> entry = state.retryEntry;
  const std::string path = state.storeRetryPath;
  if (ActivateConfig(state, path, entry->configName) == 0) {
    GameMadeLive(state, *entry, state.retryPosition, path);
  }
  // Still no store: wait for the next tick. Failed otherwise: logged once,
  // as any activation.
  if (state.storeRetryPath.empty()) state.retryEntry.reset();
  return 1;
}

// The end-of-game steps: prepare a pending directory, forget the running
// game, and make the default live again.
int GameEnded(MonitorState& state) {
  if (state.pendingPrepare) {
    int r = 0;
    if (state.prepareEntry) r = ModifyGameFiles(state.prepareEntry->modifications, state.prepareDir);
    state.prepareEntry.reset();
    state.pendingPrepare = false;
    WriteMarkerFile(state.prepareDir);
    if (state.copyEntry) {
      // Edited or copied: either one asks for the restart.
      r = CopyGameFiles(state.copyEntry->files, state.prepareDir) | r;
      state.copyEntry.reset();
    }
    if (r != 0) {
      state.host->ShowMessage(kIdsGameSetUp, MonitorString(kIdsGameSetUp),
                              MonitorString(kIdsTandrix), kMbIconStop | kMbSystemModal);
    }
  }
  state.runningGameExe.clear();
  state.retryEntry.reset();
  if (!platform::EqualsNoCase(state.currentConfig, state.defaultConfigPath)) {
    ActivateDefault(state);
  }
  return 0;
}

// The newest process's folder holds configuration file name: register its
// game when the file is a Windows configuration.
int RegisterGame(MonitorState& state, const std::string& processDir, const std::string& name,
                 const std::string& exeName) {
  const std::string src = processDir + name;
  const std::string dst = "defaults\\" + name;
  // GameExe keeps 79 characters: a longer name would read back cut, never
  // match the process, and the game would be registered again every tick.
  if (exeName.size() > kGameNameBuffer - 1) return GameEnded(state);

  std::string type;
  if (!ReadConfigToken(state, "TYPE", type, kTypeBuffer, src) ||
      !platform::EqualsNoCase(type, "windows")) {
    return GameEnded(state);
  }
  platform::CopyFile(src, dst, true);
  const bool live = ActivateConfig(state, dst, "") == 0;
  if (live) platform::WritePrivateProfileString("Games", "Current", name, SettingsIniPath());
  std::string title;
  ReadConfigToken(state, "APPLICATION_NAME", title, kTitleBuffer, name);
  // games.ini drops the quotes of a quoted value when it is read back; the
  // title is recorded as it will be read.
  if (title.size() >= 2 && title.front() == '"' && title.back() == '"') {
    title = title.substr(1, title.size() - 2);
  }
  // An entry without a title would end the game list where it stands, and
  // the game would be registered again at every tick.
  if (title.empty()) title = exeName.substr(0, kTitleBuffer - 1);
  if (live) state.liveTitle = title;

  const std::string section = "Game" + std::to_string(state.games.size() + 1);
  const std::string games = GamesIniPath();
  platform::WritePrivateProfileString(section, "GameTitle", title, games);
  platform::WritePrivateProfileString(section, "GameExe", exeName, games);
  platform::WritePrivateProfileString(section, "GameVcg", name, games);
  platform::WritePrivateProfileString(section, "NewGame", "0", games);

  MarkConfigOem(dst);
  FreeGameList(state.games);
  LoadGameList(state.games);
  RecordPlayedGame(title);
  return 1;
}

}  // namespace

void SplitExePath(std::string_view path, std::string& dir, std::string& name) {
  std::size_t cut = path.rfind('\\');
  if (cut == std::string_view::npos) {
    dir.clear();
    name.assign(path.substr(0, kPathChars));
  } else {
    dir.assign(path.substr(0, std::min(cut + 1, kPathChars)));
    name.assign(path.substr(cut + 1, kPathChars));
  }
}

int ReadConfigToken(const MonitorState& state, std::string_view token, std::string& value,
                    std::size_t size, std::string_view configName) {
  value.clear();
  platform::File file;
  if (configName.size() >= 2 && configName[1] == ':') {
    file.Open(configName, platform::OpenMode::ReadText);
  } else {
    const std::string work = platform::CurrentDirectory();
    if (!file.Open(work + "\\" + state.playerSubdir + "\\" + std::string(configName),
                   platform::OpenMode::ReadText)) {
      file.Open(work + "\\defaults\\" + std::string(configName), platform::OpenMode::ReadText);
    }
  }
  if (!file.IsOpen()) return 0;
  std::string found;
  if (MVA_GetCfgValue(found, token, -1, file) == 0) value = std::move(found);
  if (size > 0 && value.size() > size - 1) value.resize(size - 1);
  file.Close();
  return 1;
}

int MarkConfigOem(std::string_view path) {
  MVA_CfgRecord record;
  if (MVA_ReadCfgFile(record, 0, path) != 0) {
    MVA_FreeCfgRecord(record);
    return 0;
  }
  record.owner = 2;  // OEM
  bool readOnly = false;
  if (platform::GetReadOnly(path, readOnly) && readOnly) platform::SetReadOnly(path, false);
  int written = MVA_WriteCfgFile(record, path);
  MVA_FreeCfgRecord(record);
  return written == 0 ? 1 : 0;
}

// Why the store could not take an activation, for error.log.
static std::string StoreProblem(long status) {
  std::string why = platform::SystemRegistryError();
  return why.empty() ? platform::RegStatusText(status) : why;
}

int ActivateConfig(MonitorState& state, std::string_view path, std::string_view recordName) {
  if (platform::EqualsNoCase(path, state.currentConfig)) return 0;
  state.storeRetryPath.clear();
  MVA_ActivateError why;
  int r = MVA_ActivateCfgFile(path, &why);
  if (r == 0) {
    state.promptShown = false;
    state.storeOutage = false;
    state.currentConfig = recordName.empty() ? path : recordName;
    state.liveConfig = path;
    state.liveTitle.clear();
  } else if (r == -1 && why.kind == MVA_ActivateError::kStore) {
    // Nothing is recorded, so the activation is tried again at the next
    // occasion; the outage is logged once, with its cause.
    state.storeRetryPath = path;
    if (!state.storeOutage) {
      state.storeOutage = true;
      LogError(kIdsDriverFailed, std::string(path) + " (" + StoreProblem(why.storeStatus) + ")", false,
               state.host);
    }
  } else if (r == -1) {
    state.currentConfig = path;
    LogError(kIdsDriverFailed, path, false, state.host);
  } else if (r == -2 && state.showJoystick != 0) {
    state.currentConfig = path;
    if (state.promptShown) return r;
    LogError(kIdsNotSelected, "", false, state.host);
    state.host->FocusHiddenWindow();
    if (state.host->ShowJoystickPrompt(state) == kIdYes &&
        MVA_ShowJoystickControlPanel(state.host->HiddenWindow()) == 0) {
      // No joystick control panel to show: the help explains where the
      // device settings are, and the system's device settings open.
      state.host->LaunchHelp(kHelpNoJoystickPanel, kHelpContents);
      platform::StartProcess(platform::WindowsDirectory() + "\\rundll32.exe", kSystemPanelArgs,
                             ".");
    }
    state.promptShown = true;
  }
  // -2 without the prompt records nothing, so the activation is tried
  // again at the next occasion.
  return r;
}

// games.ini and Tandmon.ini are read again when they have changed since the
// last read (a game added, another default chosen), so a change counts from
// the next tick without a restart. Unchanged files cost one stat each.
static void ReadChangedFiles(MonitorState& state) {
  if (platform::GetFileStamp(GamesIniPath()) != state.games.stamp) {
    FreeGameList(state.games);
    LoadGameList(state.games);
  }
  if (platform::GetFileStamp(SettingsIniPath()) != state.settingsStamp) LoadMonitorSettings(state);
}

int WatchTick(MonitorState& state) {
  auto snapshot = platform::CreateProcessSnapshot();
  if (!snapshot) return 0;
  TimerRestart restart(state);
  // The store deleted or replaced while the monitor runs: said once, and
  // what should be live is made live again in the store the path names now.
  if (std::string change = platform::TakeSystemRegistryChange(); !change.empty()) {
    LogMessageText(change);
    state.currentConfig.clear();
  }
  ReadChangedFiles(state);

  platform::ProcessEntry process;
  if (!snapshot->First(process)) {
    if (ActivateDefault(state) == 0) return 0;
  }

  bool customizerNow = false, quakeNow = false, serviceNow = false;
  bool examined = false, unsupported = false;
  std::string processDir, exeName;
  while (snapshot->Next(process)) {
    examined = true;
    unsupported = false;
    SplitExePath(process.exePath, processDir, exeName);

    if (platform::EqualsNoCase(exeName, state.customizerPath)) {
      customizerNow = true;
      state.customizerSeen = true;
    }
    if (platform::EqualsNoCase(exeName, kQuakeLauncherExe)) {
      quakeNow = true;
      if (!state.quakeHandled) {
        state.quakeHandled = true;
        PrepareQuakeBatch(processDir, *state.host);
      }
    }
    if (platform::EqualsNoCase(exeName, kServiceExe)) {
      state.serviceCommand = "1 " + exeName;
      serviceNow = true;
      if (!state.serviceHandled) {
        state.serviceHandled = true;
        platform::StartProcess(kServiceSetupExe, state.serviceCommand, ".");
      }
    }
    if (const auto* positions = state.games.Find(exeName)) {
      for (std::size_t position : *positions) {
        const auto& entry = state.games.entries[position];
        if (platform::EqualsNoCase(exeName, state.runningGameExe)) {
          return state.retryEntry ? RetryGame(state) : 1;
        }
        if (!platform::EqualsNoCase(entry->configName, kNoSupport)) {
          return ListedGameStarted(state, entry, position, processDir, exeName);
        }
        unsupported = true;
      }
    }
  }

  if (!serviceNow && state.serviceHandled) {
    if (!state.serviceCommand.empty()) state.serviceCommand[0] = '0';
    platform::StartProcess(kServiceSetupExe, state.serviceCommand, ".");
    state.serviceHandled = false;
  }
  if (state.customizerSeen && !customizerNow) {
    state.customizerSeen = false;
    LoadMonitorSettings(state);
    ActivateDefault(state);
  }
  if (state.quakeHandled && !quakeNow) state.quakeHandled = false;

  if (examined && !unsupported && !processDir.empty()) {
    std::vector<std::string> configs = platform::FindFiles(processDir + "*.vcg");
    if (!configs.empty()) {
      if (platform::EqualsNoCase(processDir, platform::CurrentDirectory() + "\\")) return 0;
      return RegisterGame(state, processDir, configs.front(), exeName);
    }
  }
  return GameEnded(state);
}
