// Top-level windows found by their title, from another program of the same
// user: what a program does to find its running copy and bring it forward.
//
//   if (ui::WindowRef w = ui::FindWindow(ui::LoadString(61238))) {
//     ui::SetForegroundWindow(w);
//     return 0;
//   }
//
// Every open dialog is findable under its title (exactly, case included)
// while it shows, on the per-user instance channel (instance.h); a title
// changed with SetWindowText moves with it. The window brought forward is
// raised and activated and its dialog hears OnActivate.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/instance.h"

namespace ui {

class Application;

struct WindowRef {
  std::string title;
  explicit operator bool() const { return !title.empty(); }
};

// The window titled title, or an empty ref when no open window has it.
WindowRef FindWindow(std::string_view title);
// Brings the window to the front; false when it is gone.
bool SetForegroundWindow(const WindowRef& window);
// Gives the window the keyboard focus (which also brings it forward on a
// desktop that does not focus hidden windows); false when it is gone.
bool SetFocus(const WindowRef& window);

// The receiving side, for hosts: one open window published under its
// title on the application's loop. Publishing fails quietly when another
// window of the user already has the title; the first one stays findable.
class WindowPublication {
 public:
  WindowPublication(Application& app, std::function<void()> onActivate);
  ~WindowPublication();
  WindowPublication(const WindowPublication&) = delete;
  WindowPublication& operator=(const WindowPublication&) = delete;

  // Publishes under title (an empty title withdraws it).
  void SetTitle(std::string_view title);
  bool Published() const;
  // Runs the activation handler on the loop, after the message being
  // handled (it may run a modal loop of its own); a window closed
  // meanwhile hears nothing.
  void NotifyActivated();

 private:
  void Withdraw();

  Application& app_;
  std::shared_ptr<std::function<void()>> onActivate_;
  InstanceListener listener_;
  int watch_ = 0;
  std::string title_;
};

}  // namespace ui
