// The Tandmon program: start-up, the hidden window with its tray icon and
// menu, the 3-second watch timer, and the host the monitor engine runs on.
//
// Everything runs on the application's message loop. On a desktop the
// application is the Qt front end; without a display it is the headless
// one, where nothing waits for a user: dialogs end at once (the joystick
// prompt as Cancel, the instructions as closed) and message boxes are
// written to error.log instead.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/host.h"
#include "monitor/monitor_state.h"
#include "ui/hidden_window.h"
#include "ui/host.h"
#include "ui/menu.h"

// MonitorHost over the ui module: the watch timer on the application's
// timers, the dialogs on its dialog host.
class CInstructionsDlg;

class UiMonitorHost : public MonitorHost {
 public:
  using TickProc = std::function<void(unsigned timerId)>;

  UiMonitorHost(ui::Application& app, ui::HiddenWindow& window, TickProc tick);

  void KillWatchTimer(unsigned timerId) override;
  unsigned SetWatchTimer() override;
  int ShowInstructions(MonitorState& state, int position) override;
  void OfferInstructions(MonitorState& state, int position) override;
  int ShowJoystickPrompt(MonitorState& state) override;
  int ShowMessage(int textId, std::string_view text, std::string_view caption,
                  unsigned style) override;
  void LaunchHelp(std::string_view file, unsigned command) override;
  void FocusHiddenWindow() override {}
  void* HiddenWindow() override { return &window_; }

 private:
  ui::Application& app_;
  ui::HiddenWindow& window_;
  TickProc tick_;
  // The instructions window that is open, if any.
  CInstructionsDlg* openInstructions_ = nullptr;
  // Gone with the host: an offer still waiting on the loop then shows
  // nothing.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class TandmonApp {
 public:
  explicit TandmonApp(ui::Application& app);
  ~TandmonApp();
  TandmonApp(const TandmonApp&) = delete;
  TandmonApp& operator=(const TandmonApp&) = delete;

  // Start-up up to the message loop: the game list, the settings, the
  // default configuration made live, a running monitor closed, and unless
  // the command line asks only for that ("-close"), the hidden window and
  // the watch timer. False when the program ends here; exitCode is then its
  // code: 1 when a running monitor could not be reached, or when this one
  // could not be made findable for the next start.
  bool Start(std::string commandLine, int& exitCode);
  // Start, then the message loop until the window closes; the exit code.
  int Run(std::string commandLine);

  MonitorState& State() { return state_; }
  ui::HiddenWindow& Window() { return window_; }
  UiMonitorHost& Host() { return host_; }
  // The tray menu while the window exists, else null.
  const ui::Menu* TrayMenu() const { return trayMenu_; }
  // The icon the tray shows or would show (104, or 139 while suspended).
  int TrayIconId() const { return trayIconId_; }
  // The icon's tip: the live configuration, and whether the monitor is
  // suspended ("Tandrix: Quake (quake.vcg)").
  std::string TrayTip() const;
  // What making the default configuration live at start-up returned (0
  // live, as ActivateConfig).
  int DefaultActivation() const { return defaultActivation_; }
  // What the start did about a running monitor, for -close to say: the
  // process id of the one it told to close (0: none was running when it
  // looked; -1: one was, its id unknown), and whether the command line
  // asked for nothing else.
  int ClosedProcessId() const { return closedPid_; }
  bool CloseOnly() const { return closeOnly_; }

 private:
  long WindowProc(ui::HiddenWindow& window, unsigned message, std::uintptr_t wParam,
                  std::intptr_t lParam);
  long OnCreate();
  void OnClose();
  void OnCommand(int commandId);
  void OnTrayNotify(unsigned mouseMessage);
  void OnWatchTimer(unsigned timerId);
  void SuspendOrResume();
  void Customize();
  void About();
  // Says on standard error and in error.log why the monitor does not run.
  void Refuse(const std::string& why);
  bool AddTrayIcon(int iconId);
  void RemoveTrayIcon();
  // After a tick: the tip follows what is live, and a notification says
  // when a game's configuration or the default has been made live.
  void ShowLiveChange();

  ui::Application& app_;
  ui::HiddenWindow window_;
  MonitorState state_;
  UiMonitorHost host_;
  std::unique_ptr<ui::Menu> menuBar_;
  ui::Menu* trayMenu_ = nullptr;
  int trayIconId_ = 0;
  bool timerSet_ = false;
  // A tick is running (and may show a dialog with its own loop). What
  // would pull the game list or the timer from under it waits until it
  // has returned.
  bool inTick_ = false;
  int deferredSuspends_ = 0;
  bool closed_ = false;
  int defaultActivation_ = 0;
  // What the tip and the last notification told (liveConfig, liveTitle).
  std::string shownConfig_;
  std::string shownTitle_;
  int closedPid_ = 0;
  bool closeOnly_ = false;
};
