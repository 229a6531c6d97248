#include "monitor/app/tandmon.h"

#include <cstdio>
#include <utility>

#include "monitor/app/dialogs.h"
#include "monitor/app/resources.h"
#include "monitor/gamelist.h"
#include "monitor/logerror.h"
#include "monitor/strings.h"
#include "monitor/watcher.h"
#include "platform/dospath.h"
#include "platform/process.h"
#include "ui/help.h"
#include "ui/instance.h"
#include "ui/signals.h"

// --- the engine's host ---------------------------------------------------------------

UiMonitorHost::UiMonitorHost(ui::Application& app, ui::HiddenWindow& window, TickProc tick)
    : app_(app), window_(window), tick_(std::move(tick)) {}

void UiMonitorHost::KillWatchTimer(unsigned timerId) { app_.Timers().KillTimer(timerId); }

unsigned UiMonitorHost::SetWatchTimer() { return app_.Timers().SetTimer(kWatchTimerMs, tick_); }

int UiMonitorHost::ShowInstructions(MonitorState& state, int position) {
  // One instructions window at a time: a newer game start replaces it.
  if (openInstructions_ != nullptr) openInstructions_->EndDialog(IDCANCEL);
  CInstructionsDlg dlg(state, position);
  openInstructions_ = &dlg;
  // The tray's menu stays usable while the player reads.
  const int result = dlg.DoModeless(app_.Dialogs());
  if (openInstructions_ == &dlg) openInstructions_ = nullptr;
  return result;
}

// Shown once the tick has returned and the watch timer runs again: the
// window often opens behind a full-screen game, and the game may end while
// nobody has closed it. The watch goes on under it.
void UiMonitorHost::OfferInstructions(MonitorState& state, int position) {
  std::weak_ptr<bool> alive = alive_;
  app_.Post([this, alive, &state, position] {
    if (alive.expired() || !window_.IsWindow()) return;
    ShowInstructions(state, position);
  });
}

int UiMonitorHost::ShowJoystickPrompt(MonitorState& state) {
  CJoystickPromptDlg dlg(state);
  return dlg.DoModal(app_.Dialogs());
}

int UiMonitorHost::ShowMessage(int textId, std::string_view text, std::string_view caption,
                               unsigned style) {
  // Nobody would read a box: the text goes to error.log as a line of its
  // own, and the box answers at once.
  if (!app_.ShowsDialogs()) LogMessageText(text);
  return app_.Dialogs().MessageBox(nullptr, text, caption, style);
}

// The help viewer is started on its own and never waited for; a help file
// that cannot be shown is no reason to stop watching.
void UiMonitorHost::LaunchHelp(std::string_view file, unsigned command) {
  ui::WinHelp(file, command, 0);
}

// --- the program -------------------------------------------------------------------

TandmonApp::TandmonApp(ui::Application& app)
    : app_(app),
      window_(app),
      host_(app, window_, [this](unsigned timerId) { OnWatchTimer(timerId); }) {
  state_.host = &host_;
  // SIGTERM and SIGINT close the monitor the way Exit does.
  app_.OnTerminationSignal([this] {
    if (window_.IsWindow()) {
      window_.SendMessage(WM_CLOSE);
    } else {
      app_.PostQuit(0);
    }
  });
}

TandmonApp::~TandmonApp() {
  app_.OnTerminationSignal(nullptr);
  if (!closed_ && window_.IsWindow()) {
    host_.KillWatchTimer(state_.timerId);
    RemoveTrayIcon();
  }
}

bool TandmonApp::Start(std::string commandLine, int& exitCode) {
  state_.promptShown = false;
  trayIconId_ = kIdiNormal;
  // A termination signal that arrives while a long game list loads ends
  // the start here; the loop that would hear it is not running yet.
  if (!LoadGameList(state_.games, [] { return !ui::TerminationPending(); })) {
    exitCode = 0;
    return false;
  }
  LoadMonitorSettings(state_);
  // The default is made live first, also by a start that only closes the
  // running monitor.
  defaultActivation_ = ActivateConfig(state_, state_.defaultConfigPath, "");

  std::string why;
  ui::InstanceState other = ui::ProbeInstance(kMonitorClass, &why);
  if (other == ui::InstanceState::kRunning) {
    // The one told to close is the one running now, which may have started
    // since this program did.
    const int pid = ui::InstanceProcessId(kMonitorClass);
    // Waits until the running monitor has closed, so its name is free for
    // this one.
    if (ui::HiddenWindow::SendTo(kMonitorClass, WM_CLOSE)) {
      closedPid_ = pid != 0 ? pid : -1;
      commandLine = platform::ToLowerAscii(commandLine);
    } else {
      other = ui::InstanceState::kUnreachable;
      why = "the running monitor did not answer";
    }
  }
  const bool closeOnly = commandLine.find("-close") != std::string::npos;
  closeOnly_ = closeOnly;
  if (other == ui::InstanceState::kUnreachable) {
    // A monitor that cannot be told to close may still be watching; a
    // second one beside it would fight it over the configuration.
    Refuse(closeOnly ? "cannot close the running monitor: " + why
                     : "not started: a monitor may be running that cannot be reached: " + why);
    exitCode = 1;
    return false;
  }
  if (closeOnly) {
    exitCode = 0;
    return false;
  }

  window_.Create(kMonitorClass, kMonitorClass,
                 [this](ui::HiddenWindow& w, unsigned message, std::uintptr_t wParam,
                        std::intptr_t lParam) { return WindowProc(w, message, wParam, lParam); });
  if (window_.IsWindow() && !window_.IsFindable()) {
    // Nobody could close or replace this monitor, and the next start would
    // run a second one beside it.
    Refuse("not started: other starts could not find this monitor: " + window_.NotFindableReason());
    window_.SendMessage(WM_CLOSE);
    exitCode = 1;
    return false;
  }
  return true;
}

void TandmonApp::Refuse(const std::string& why) {
  std::fprintf(stderr, "Tandmon: %s\n", why.c_str());
  LogMessageText("Tandmon " + why);
}

int TandmonApp::Run(std::string commandLine) {
  int exitCode = 0;
  if (!Start(std::move(commandLine), exitCode)) return exitCode;
  return app_.Run();
}

long TandmonApp::WindowProc(ui::HiddenWindow& window, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam) {
  switch (message) {
    case WM_CREATE:
      if (OnCreate() == -1) return -1;
      break;
    case WM_CLOSE:
      OnClose();
      break;
    case WM_DESTROY:
      window.PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      OnCommand(static_cast<int>(wParam & 0xFFFF));
      break;
    case kTrayCallbackMessage:
      OnTrayNotify(static_cast<unsigned>(lParam));
      break;
    case kMonitorStateQuery:
      return state_.suspended ? 1 : 0;
    default:
      break;
  }
  return window.DefWindowProc(message, wParam, lParam);
}

long TandmonApp::OnCreate() {
  menuBar_ = std::make_unique<ui::Menu>(TrayMenuTemplate());
  trayMenu_ = menuBar_->SubMenu(0);
  state_.timerId = host_.SetWatchTimer();
  return 0;
}

void TandmonApp::OnClose() {
  if (closed_) return;
  closed_ = true;
  RemoveTrayIcon();
  // No tick may run between here and the end of the loop. A tick that is
  // running (its dialog open) still works on the game list; it is freed
  // when that tick returns.
  host_.KillWatchTimer(state_.timerId);
  if (!inTick_) FreeGameList(state_.games);
  trayMenu_ = nullptr;
  menuBar_.reset();
}

void TandmonApp::OnCommand(int commandId) {
  switch (commandId) {
    case kIdmSuspend:
      SuspendOrResume();
      break;
    case kIdmExit:
      window_.SendMessage(WM_CLOSE);
      break;
    case kIdmCustomize:
      Customize();
      break;
    case kIdmAbout:
      About();
      break;
    default:
      break;
  }
}

void TandmonApp::OnTrayNotify(unsigned mouseMessage) {
  if (mouseMessage == WM_RBUTTONDOWN) {
    if (trayMenu_ == nullptr) return;
    const ui::Point at = app_.Tray().CursorPos();
    // The chosen command arrives as WM_COMMAND; the menu may be gone when
    // this returns (Exit).
    app_.Tray().TrackPopupMenu(*trayMenu_, at, TPM_RIGHTALIGN | TPM_RIGHTBUTTON);
    window_.PostMessage(WM_USER);
  } else if (mouseMessage == WM_LBUTTONDBLCLK) {
    Customize();
  }
}

void TandmonApp::OnWatchTimer(unsigned) {
  if (closed_ || state_.suspended || inTick_) return;
  // Where the desktop has no tray yet the monitor watches without an icon
  // and offers it again at the next tick.
  if (!state_.iconAdded) state_.iconAdded = AddTrayIcon(kIdiNormal);
  inTick_ = true;
  WatchTick(state_);
  inTick_ = false;
  if (!closed_) ShowLiveChange();
  if (closed_) {
    // Closed while the tick showed a dialog: the tick has set the timer
    // again on its way out.
    host_.KillWatchTimer(state_.timerId);
    FreeGameList(state_.games);
    return;
  }
  // Suspend or Resume chosen while the tick showed a dialog: done now, so
  // the timer and the game list are not changed under the tick.
  while (deferredSuspends_ > 0) {
    --deferredSuspends_;
    SuspendOrResume();
  }
}

void TandmonApp::SuspendOrResume() {
  if (inTick_) {
    ++deferredSuspends_;
    return;
  }
  if (!state_.suspended) {
    RemoveTrayIcon();
    state_.suspended = true;
    state_.iconAdded = AddTrayIcon(kIdiSuspended);
    host_.KillWatchTimer(state_.timerId);
    if (trayMenu_ != nullptr) trayMenu_->SetItemText(kSuspendPosition, "&Resume");
  } else {
    state_.suspended = false;
    state_.timerId = host_.SetWatchTimer();
    if (trayMenu_ != nullptr) trayMenu_->SetItemText(kSuspendPosition, "&Suspend");
    RemoveTrayIcon();
    state_.iconAdded = AddTrayIcon(kIdiNormal);
    // The list may have changed while the monitor slept; the settings are
    // left as they are.
    FreeGameList(state_.games);
    LoadGameList(state_.games);
  }
}

// Started with the monitor's folder as its current directory; a customizer
// that cannot be started is passed over in silence.
void TandmonApp::Customize() {
  platform::StartProcess(state_.customizerPath, state_.customizerPath, ".");
}

void TandmonApp::About() {
  if (state_.aboutOpen) return;
  state_.aboutOpen = true;
  CAboutDlg dlg(state_);
  dlg.DoModal(app_.Dialogs());
  // Also when the dialog's loop was ended from outside (the program
  // quitting) rather than by its own buttons.
  state_.aboutOpen = false;
}

bool TandmonApp::AddTrayIcon(int iconId) {
  trayIconId_ = iconId;
  ui::NotifyIcon icon;
  icon.id = kTrayIconId;
  icon.callbackMessage = kTrayCallbackMessage;
  icon.iconId = iconId;
  icon.tip = TrayTip().substr(0, ui::kMaxTipLength);
  shownConfig_ = state_.liveConfig;
  shownTitle_ = state_.liveTitle;
  return app_.Tray().AddIcon(icon);
}

std::string TandmonApp::TrayTip() const {
  const std::string suspended = state_.suspended ? ", suspended" : "";
  if (state_.liveConfig.empty()) return std::string(MonitorString(kIdsTrayTip)) + suspended;
  std::string dir, file;
  SplitExePath(state_.liveConfig, dir, file);
  std::string what = state_.liveTitle;
  if (what.empty() && platform::EqualsNoCase(state_.liveConfig, state_.defaultConfigPath)) what = "default";
  return std::string(MonitorString(kIdsTandrix)) + ": " + (what.empty() ? file : what + " (" + file + ")") +
         suspended;
}

void TandmonApp::ShowLiveChange() {
  if (!state_.iconAdded) return;
  if (state_.liveConfig == shownConfig_ && state_.liveTitle == shownTitle_) return;
  shownConfig_ = state_.liveConfig;
  shownTitle_ = state_.liveTitle;
  ui::NotifyIcon icon;
  icon.id = kTrayIconId;
  icon.callbackMessage = kTrayCallbackMessage;
  icon.iconId = trayIconId_;
  icon.tip = TrayTip().substr(0, ui::kMaxTipLength);
  if (state_.notify != 0 && !state_.liveConfig.empty()) {
    std::string dir, file;
    SplitExePath(state_.liveConfig, dir, file);
    icon.infoTitle = MonitorString(kIdsTandrix);
    if (!state_.liveTitle.empty()) {
      icon.info = state_.liveTitle + ": its configuration " + file + " is live.";
    } else if (platform::EqualsNoCase(state_.liveConfig, state_.defaultConfigPath)) {
      icon.info = "The default configuration " + file + " is live again.";
    } else {
      icon.info = file + " is live.";
    }
  }
  app_.Tray().ModifyIcon(icon);
}

void TandmonApp::RemoveTrayIcon() { app_.Tray().DeleteIcon(kTrayIconId); }
