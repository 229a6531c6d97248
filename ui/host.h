// What a program's user interface runs on: a host that shows dialogs and
// message boxes, a timer service, a tray, and the program's message loop.
//
// Three families implement these: ui/headless (controls in memory, a
// scripted user and a virtual clock for tests; a plain event loop for a
// program without a display), ui/qt (real Qt widgets, a tray icon, Qt's
// event loop) and, in the Windows build, ui/win32 (the system's own dialog
// manager, tray, timers and message loop).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ui/template.h"

namespace ui {

class CDialog;
class Menu;
struct FileDialogRequest;

// Handed to a dialog's paint handler.
class PaintContext {
 public:
  virtual ~PaintContext() = default;
  // Draws a bitmap or icon resource at its own size, at a pixel position in
  // the dialog's client area.
  virtual void DrawBitmap(int bitmapId, int x, int y) = 0;
  virtual void DrawIcon(int iconId, int x, int y) = 0;
};

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  // Creates the dialog from its template, runs its initialisation and then
  // its modal loop until EndDialog. Returns the code given to EndDialog, or
  // -1 when the dialog could not be created.
  virtual int RunModal(CDialog& dialog) = 0;
  // The same, but the program's other windows (a tray menu, another dialog)
  // keep taking input while this one is open. The caller still waits for
  // the end code; the loop runs meanwhile. Hosts without a person to wait
  // for run it as RunModal.
  virtual int RunModeless(CDialog& dialog) { return RunModal(dialog); }
  // Shows a message box (MB_* flags) and returns the button chosen (IDOK,
  // IDCANCEL, IDYES, IDNO ...). An empty caption reads "Error".
  virtual int MessageBox(CDialog* owner, std::string_view text, std::string_view caption,
                         unsigned flags) = 0;
  // Shows the system's open-file (or save) dialog; the chosen file's
  // absolute DOS path, or nothing when the user cancelled. The host checks
  // the request's rules with AcceptFileName (file_dialog.h).
  virtual std::optional<std::string> GetFileName(CDialog* owner,
                                                 const FileDialogRequest& request) = 0;
  virtual void Beep(unsigned type) = 0;
  // The wait cursor, counted: shown from the first Begin to the last End.
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
  // The desktop in pixels, for centring.
  virtual Rect DesktopRect() const = 0;
};

// Periodic timers with a callback, like timers set without a window: the
// service chooses the id.
class TimerService {
 public:
  using TimerProc = std::function<void(unsigned timerId)>;
  virtual ~TimerService() = default;
  // Returns the new timer's id (never 0), or 0 when it could not be set.
  virtual unsigned SetTimer(unsigned intervalMs, TimerProc proc) = 0;
  // False when no such timer runs.
  virtual bool KillTimer(unsigned timerId) = 0;
};

// One tray icon record, as a program fills it in.
struct NotifyIcon {
  unsigned id = 0;               // the program's number for the icon
  unsigned callbackMessage = 0;  // carried back with every mouse event
  int iconId = 0;                // icon resource
  std::string tip;               // cut to kMaxTipLength characters
  // A message shown once beside the icon (a desktop notification) by the
  // AddIcon or ModifyIcon that carries it; nothing when info is empty. A
  // desktop without a notification service shows nothing, and the call
  // succeeds all the same.
  std::string infoTitle;
  std::string info;
};

inline constexpr std::size_t kMaxTipLength = 63;

class TrayHost {
 public:
  // (callback message, mouse message such as WM_LBUTTONDBLCLK or
  // WM_RBUTTONDOWN)
  using MouseHandler = std::function<void(unsigned callbackMessage, unsigned mouseMessage)>;
  using CommandHandler = std::function<void(int commandId)>;

  virtual ~TrayHost() = default;
  // False where the desktop has no tray; the program then runs without an
  // icon and every icon call fails harmlessly.
  virtual bool IsAvailable() const = 0;
  virtual bool AddIcon(const NotifyIcon& icon) = 0;
  virtual bool ModifyIcon(const NotifyIcon& icon) = 0;
  virtual bool DeleteIcon(unsigned id) = 0;
  virtual void SetMouseHandler(MouseHandler handler) = 0;
  // Receives the command chosen from a popup menu shown by TrackPopupMenu.
  virtual void SetCommandHandler(CommandHandler handler) = 0;
  virtual Point CursorPos() const = 0;
  // Shows popup at pt (its right edge there with TPM_RIGHTALIGN) and
  // returns when it closes; the chosen item's command then goes to the
  // command handler. A dismissed menu sends nothing.
  virtual void TrackPopupMenu(const Menu& popup, Point pt, unsigned flags) = 0;
};

// A program's message loop and the services around it.
class Application {
 public:
  virtual ~Application() = default;
  virtual DialogHost& Dialogs() = 0;
  virtual TimerService& Timers() = 0;
  virtual TrayHost& Tray() = 0;
  // Calls onReadable on the loop whenever fd has data; returns a watch id.
  virtual int WatchDescriptor(int fd, std::function<void()> onReadable) = 0;
  virtual void UnwatchDescriptor(int watchId) = 0;
  // Runs fn on the loop after the current event (a posted message).
  virtual void Post(std::function<void()> fn) = 0;
  // Called on the loop when the process gets SIGTERM or SIGINT. Without a
  // handler the loop quits with code 0.
  virtual void OnTerminationSignal(std::function<void()> handler) = 0;
  // Runs the loop until PostQuit; returns the quit code. A PostQuit before
  // Run makes Run return at once.
  virtual int Run() = 0;
  virtual void PostQuit(int code) = 0;
  // True when dialogs are shown to a person; false when they are answered
  // without one (no display).
  virtual bool ShowsDialogs() const = 0;
};

// The program's application, used by CDialog::DoModal(), CWaitCursor and
// the free MessageBox. Set once at start-up; null in a program without one.
Application* GetApplication();
// Returns the application it replaced.
Application* SetApplication(Application* app);

// Sets the application for the length of a scope and puts back the one it
// replaced (the same style as platform::ScopedSystemRegistry and
// platform::ScopedProcessLister).
class ScopedApplication {
 public:
  explicit ScopedApplication(Application* app) : previous_(SetApplication(app)) {}
  ~ScopedApplication() { SetApplication(previous_); }
  ScopedApplication(const ScopedApplication&) = delete;
  ScopedApplication& operator=(const ScopedApplication&) = delete;

 private:
  Application* previous_;
};

// A message box without an owner dialog, on the application's host.
// Returns 0 when there is no application.
int MessageBox(std::string_view text, std::string_view caption, unsigned flags);
void MessageBeep(unsigned type);

}  // namespace ui
