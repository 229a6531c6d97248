// A program's invisible main window: it has a class name other starts of
// the program can find, a window procedure that receives its messages, and
// it hears the tray icon and the tray menu.
//
//   ui::HiddenWindow wnd(app);
//   wnd.Create("Tandrix Monitor", "Tandrix Monitor",
//              [](ui::HiddenWindow& w, unsigned msg, std::uintptr_t wp, std::intptr_t lp) -> long {
//                if (msg == WM_DESTROY) { w.PostQuitMessage(0); return 0; }
//                return w.DefWindowProc(msg, wp, lp);
//              });
//
// Messages reach the procedure from: Create (WM_CREATE), SendMessage and
// PostMessage, another instance (HiddenWindow::SendTo), the tray (its
// callback message with the mouse message as lParam; WM_COMMAND with the
// chosen menu item as wParam), and Destroy (WM_DESTROY).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/host.h"
#include "ui/instance.h"
#include "ui/win_constants.h"

namespace ui {

class HiddenWindow {
 public:
  using WndProc = std::function<long(HiddenWindow& window, unsigned message,
                                     std::uintptr_t wParam, std::intptr_t lParam)>;

  explicit HiddenWindow(Application& app);
  ~HiddenWindow();
  HiddenWindow(const HiddenWindow&) = delete;
  HiddenWindow& operator=(const HiddenWindow&) = delete;

  // Creates the window: it becomes findable under className (unless another
  // instance holds the name), hears the tray, and gets WM_CREATE. False
  // when WM_CREATE answered -1; the window then does not exist.
  bool Create(std::string_view className, std::string_view title, WndProc proc);
  bool IsWindow() const { return created_; }
  // True when the class name could be claimed for other starts to find.
  bool IsFindable() const { return listener_.IsListening(); }
  // Why the class name could not be claimed; empty when it was.
  const std::string& NotFindableReason() const { return listener_.Error(); }
  const std::string& ClassName() const { return className_; }
  const std::string& Title() const { return title_; }

  long SendMessage(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
  void PostMessage(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
  // WM_CLOSE destroys the window; other messages answer 0.
  long DefWindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
  // Sends WM_DESTROY and takes the window away (its name is free again).
  void Destroy();
  void PostQuitMessage(int code) { app_.PostQuit(code); }
  Application& App() { return app_; }

  // Another instance's window, found by class name.
  static bool Find(std::string_view className) { return InstanceExists(className); }
  static bool SendTo(std::string_view className, unsigned message, std::uintptr_t wParam = 0,
                     std::intptr_t lParam = 0, long* result = nullptr) {
    return SendInstanceMessage(className, message, wParam, lParam, result);
  }

 private:
  Application& app_;
  WndProc proc_;
  std::string className_;
  std::string title_;
  InstanceListener listener_;
  int watchId_ = 0;
  bool created_ = false;
  bool destroying_ = false;
  // Posted messages check this, so none reaches a window that is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace ui
