// The monitor's one process-wide record.
//
// The program's own handles (instance, hidden window, menus, icons) stay
// with the program's host; this record holds what the engine works with.
#pragma once

#include <memory>
#include <string>

#include "monitor/gamelist.h"

class MonitorHost;

struct MonitorState {
  MonitorHost* host = nullptr;

  // --- main loop -----------------------------------------------------------
  unsigned timerId = 0;      // id the system gave the watch timer
  bool iconAdded = false;    // the tray icon was added by the first tick
  bool suspended = false;    // the user chose Suspend
  bool aboutOpen = false;    // the About box is showing
  bool promptShown = false;  // joystick prompt shown since the last activation

  // --- settings (Tandmon.ini) ----------------------------------------------
  int showJoystick = 1;
  std::string currentPlayer = "Defaults";
  std::string playerSubdir = "Defaults";
  std::string customizerPath = "TandCfg.exe";
  std::string defaultConfigPath = "defaults\\Joy3D.vcg";
  int notify = 1;  // 0: no desktop notification when the configuration changes
  platform::FileStamp settingsStamp;  // Tandmon.ini as it was last read

  // --- the game list (games.ini) -------------------------------------------
  GameList games;

  // --- watcher -------------------------------------------------------------
  std::string currentConfig;   // configuration name or path last made live
  std::string runningGameExe;  // listed game made live and still running
  // What the driver has now, for the player to see: the file last made
  // live and, for a listed game's configuration, the game's title.
  std::string liveConfig;
  std::string liveTitle;
  bool customizerSeen = false;
  bool quakeHandled = false;
  bool serviceHandled = false;
  std::string serviceCommand;  // "1 ten.exe" / "0 ten.exe"
  bool pendingPrepare = false;
  std::string prepareDir;      // with its final backslash
  std::shared_ptr<GameEntry> prepareEntry;  // modifications to apply
  std::shared_ptr<GameEntry> copyEntry;     // files to copy (non-empty list)

  // --- an unavailable store (locked, damaged, read-only, full) ---------------
  // Set from the first activation the store could not take until one
  // succeeds: one error.log line per outage.
  bool storeOutage = false;
  // The path the last ActivateConfig could not make live for want of a
  // store; empty when it failed otherwise or succeeded.
  std::string storeRetryPath;
  // The running listed game whose activation waits for the store; tried
  // again at every tick while the game runs.
  std::shared_ptr<GameEntry> retryEntry;
  std::size_t retryPosition = 0;
};
