#include "ui/hidden_window.h"

namespace ui {

HiddenWindow::HiddenWindow(Application& app) : app_(app) {}

HiddenWindow::~HiddenWindow() {
  *alive_ = false;
  if (created_) {
    // No procedure runs from a destructor: just let go of everything.
    created_ = false;
    if (watchId_ != 0) app_.UnwatchDescriptor(watchId_);
    listener_.Close();
    app_.Tray().SetMouseHandler(nullptr);
    app_.Tray().SetCommandHandler(nullptr);
  }
}

bool HiddenWindow::Create(std::string_view className, std::string_view title, WndProc proc) {
  if (created_) return false;
  className_ = std::string(className);
  title_ = std::string(title);
  proc_ = std::move(proc);
  if (listener_.Listen(className_, [this](unsigned message, std::uintptr_t w, std::intptr_t l) {
        return created_ ? SendMessage(message, w, l) : 0L;
      })) {
    watchId_ = app_.WatchDescriptor(listener_.fd(), [this] { listener_.HandleReady(); });
  }
  app_.Tray().SetMouseHandler([this](unsigned callbackMessage, unsigned mouseMessage) {
    if (created_) SendMessage(callbackMessage, 0, static_cast<std::intptr_t>(mouseMessage));
  });
  app_.Tray().SetCommandHandler([this](int commandId) {
    if (created_) SendMessage(WM_COMMAND, static_cast<std::uintptr_t>(commandId), 0);
  });
  created_ = true;
  if (SendMessage(WM_CREATE) == -1) {
    created_ = false;
    if (watchId_ != 0) app_.UnwatchDescriptor(watchId_);
    watchId_ = 0;
    listener_.Close();
    return false;
  }
  return true;
}

long HiddenWindow::SendMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (!created_ || !proc_) return 0;
  // The procedure may destroy the window: keep it alive for this call.
  WndProc proc = proc_;
  return proc(*this, message, wParam, lParam);
}

void HiddenWindow::PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  std::weak_ptr<bool> alive = alive_;
  app_.Post([this, alive, message, wParam, lParam] {
    auto a = alive.lock();
    if (a && *a && created_) SendMessage(message, wParam, lParam);
  });
}

long HiddenWindow::DefWindowProc(unsigned message, std::uintptr_t, std::intptr_t) {
  if (message == WM_CLOSE) Destroy();
  return 0;
}

void HiddenWindow::Destroy() {
  if (!created_ || destroying_) return;
  destroying_ = true;
  SendMessage(WM_DESTROY);
  created_ = false;
  destroying_ = false;
  if (watchId_ != 0) app_.UnwatchDescriptor(watchId_);
  watchId_ = 0;
  // The name is free before a sender of WM_CLOSE hears back, so a new
  // instance can claim it at once.
  listener_.Close();
  app_.Tray().SetMouseHandler(nullptr);
  app_.Tray().SetCommandHandler(nullptr);
}

}  // namespace ui
