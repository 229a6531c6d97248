// Termination on Windows: a console's Ctrl+C, Ctrl+Break or close, and the
// end of the session. The console handler runs on a thread of its own, so
// it only marks the request and posts it to the program's window; the
// program closes on its own loop, as on a termination signal elsewhere.
#include "ui/win32/win32_host.h"

#include <atomic>

#include "ui/signals.h"

namespace ui {
namespace {

std::atomic<bool> g_pending{false};
std::atomic<HWND> g_window{nullptr};
std::atomic<UINT> g_message{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      g_pending = true;
      if (HWND w = g_window.load()) ::PostMessageA(w, g_message.load(), 0, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

namespace win32 {

void NotifyTerminationTo(HWND window, UINT message) {
  g_message = message;
  g_window = window;
  static const bool installed = ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
  (void)installed;
}

}  // namespace win32

int TerminationSignalFd() { return -1; }

bool DrainTerminationSignals() { return g_pending.exchange(false); }

bool TerminationPending() { return g_pending.load(); }

}  // namespace ui
