// One running instance per program class on Windows: the running program
// owns a hidden top-level window of the class, which FindWindowA finds and
// SendMessageTimeoutA reaches from any program of the session, exactly as
// the original found its running copy.
#include "ui/win32/win32_host.h"

#include "ui/instance.h"

namespace ui {
namespace {

// Messages another program may send: closing, commands, and the class's
// own queries (WM_USER and WM_APP ranges). Everything else is the system's.
bool ForTheHandler(UINT message) {
  return message == WM_CLOSE || message == WM_COMMAND || (message >= WM_USER && message < 0xC000);
}

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* handler = reinterpret_cast<InstanceListener::Handler*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (handler != nullptr && *handler && ForTheHandler(message)) {
    // A copy: the handler may close the listener, and with it this window.
    InstanceListener::Handler call = *handler;
    return call(message, wParam, lParam);
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

HWND FindClassWindow(std::string_view className) {
  return ::FindWindowA(std::string(className).c_str(), nullptr);
}

}  // namespace

std::string InstanceAddress(std::string_view className) {
  return "window class \"" + std::string(className) + "\"";
}

bool InstanceListener::IsListening() const { return window_ != nullptr; }

InstanceListener::~InstanceListener() { Close(); }

bool InstanceListener::Listen(std::string_view className, Handler handler) {
  Close();
  error_.clear();
  if (FindClassWindow(className) != nullptr) {
    error_ = "another instance is running";
    return false;
  }
  const std::string name(className);
  handler_ = std::move(handler);
  HWND window = win32::CreateHiddenWindow(name.c_str(), name.c_str(), ListenerProc, &handler_);
  if (window == nullptr) {
    error_ = "cannot create a window of class " + name;
    handler_ = nullptr;
    return false;
  }
  window_ = window;
  path_ = name;
  return true;
}

void InstanceListener::HandleReady() {}

void InstanceListener::Close() {
  if (window_ == nullptr) return;
  HWND window = static_cast<HWND>(window_);
  window_ = nullptr;
  ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  ::DestroyWindow(window);
  ::UnregisterClassA(path_.c_str(), ::GetModuleHandleA(nullptr));
}

bool InstanceExists(std::string_view className) { return FindClassWindow(className) != nullptr; }

int InstanceProcessId(std::string_view className) {
  HWND window = FindClassWindow(className);
  DWORD pid = 0;
  if (window != nullptr) ::GetWindowThreadProcessId(window, &pid);
  return static_cast<int>(pid);
}

InstanceState ProbeInstance(std::string_view className, std::string* why) {
  if (why != nullptr) why->clear();
  return InstanceExists(className) ? InstanceState::kRunning : InstanceState::kNone;
}

bool SendInstanceMessage(std::string_view className, unsigned message, std::uintptr_t wParam,
                         std::intptr_t lParam, long* result, int timeoutMs) {
  HWND window = FindClassWindow(className);
  if (window == nullptr) return false;
  DWORD_PTR answer = 0;
  if (::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                            static_cast<UINT>(timeoutMs), &answer) == 0) {
    return false;
  }
  if (result != nullptr) *result = static_cast<long>(answer);
  return true;
}

}  // namespace ui
