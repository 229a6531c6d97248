#include "ui/win32/win32_app.h"

#include <utility>

#include "ui/signals.h"

namespace ui::win32 {
namespace {

constexpr char kAppWindowClass[] = "TandrixApplicationWindow";
constexpr UINT kRunPosted = WM_APP + 1;
constexpr UINT kTerminate = WM_APP + 2;

// Thread timers carry no context: their procedures, by the system's id.
std::map<UINT_PTR, TimerService::TimerProc>& TimerProcs() {
  static std::map<UINT_PTR, TimerService::TimerProc> procs;
  return procs;
}

}  // namespace

Win32Timers::~Win32Timers() {
  for (const auto& [id, proc] : TimerProcs()) ::KillTimer(nullptr, id);
  TimerProcs().clear();
}

unsigned Win32Timers::SetTimer(unsigned intervalMs, TimerProc proc) {
  if (!proc) return 0;
  const UINT_PTR id = ::SetTimer(nullptr, 0, intervalMs, &Fire);
  if (id == 0) return 0;
  TimerProcs()[id] = std::move(proc);
  return static_cast<unsigned>(id);
}

bool Win32Timers::KillTimer(unsigned timerId) {
  auto it = TimerProcs().find(timerId);
  if (it == TimerProcs().end()) return false;
  ::KillTimer(nullptr, it->first);
  TimerProcs().erase(it);
  return true;
}

void CALLBACK Win32Timers::Fire(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = TimerProcs().find(id);
  if (it == TimerProcs().end()) return;
  // A copy: the procedure may kill its own timer.
  TimerProc proc = it->second;
  proc(static_cast<unsigned>(id));
}

Win32Application::Win32Application(const ImageTable* images) : dialogs_(images), tray_(images) {
  // Posted calls reach a window through any modal loop (a thread message
  // would be lost in one), and it hears the session end.
  window_ = CreateHiddenWindow(kAppWindowClass, "", Proc, this);
  dialogs_.SetLoop(this);
  NotifyTerminationTo(window_, kTerminate);
}

Win32Application::~Win32Application() {
  NotifyTerminationTo(nullptr, 0);
  if (window_ != nullptr) {
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
}

void Win32Application::Post(std::function<void()> fn) {
  posted_.push_back(std::move(fn));
  ::PostMessageA(window_, kRunPosted, 0, 0);
}

void Win32Application::RunPosted() {
  // Only what was there: a call posted meanwhile has its own message.
  if (posted_.empty()) return;
  std::function<void()> fn = std::move(posted_.front());
  posted_.pop_front();
  if (fn) fn();
}

void Win32Application::OnTerminationSignal(std::function<void()> handler) { onSignal_ = std::move(handler); }

void Win32Application::Terminate() {
  DrainTerminationSignals();
  if (onSignal_) {
    std::function<void()> handler = onSignal_;
    handler();
  } else {
    PostQuit(0);
  }
}

int Win32Application::Run() {
  MSG msg;
  if (quit_) {
    quit_ = false;
    ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return quitCode_;
  }
  int code = 0;
  PumpMessagesUntil([] { return false; }, &code);
  // The WM_QUIT put back for an outer loop: this is the outermost.
  ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  quit_ = false;
  return code;
}

void Win32Application::PostQuit(int code) {
  quit_ = true;
  quitCode_ = code;
  ::PostQuitMessage(code);
}

LRESULT CALLBACK Win32Application::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Application*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr) {
    switch (message) {
      case kRunPosted:
        self->RunPosted();
        return 0;
      case kTerminate:
        self->Terminate();
        return 0;
      case WM_QUERYENDSESSION:
        return TRUE;
      case WM_ENDSESSION:
        // The session ends once this returns: close as on a termination.
        if (wParam) {
          self->Terminate();
          PumpMessagesUntil([] { return false; });
        }
        return 0;
      default:
        break;
    }
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace ui::win32
