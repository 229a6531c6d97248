// Windows found by their title on Windows: every dialog is a real
// top-level window, so FindWindowA finds it and SetForegroundWindow brings
// it forward. The dialog host tells a publication when another program
// activated its window, so the dialog hears OnActivate as elsewhere.
#include "ui/win32/win32_host.h"

#include <map>

#include "ui/host.h"
#include "ui/window_search.h"

namespace ui {
namespace {

// Publications by title, on the program's one user-interface thread.
std::multimap<std::string, WindowPublication*>& Publications() {
  static std::multimap<std::string, WindowPublication*> published;
  return published;
}

HWND Find(const WindowRef& window) {
  return window ? ::FindWindowA(nullptr, window.title.c_str()) : nullptr;
}

}  // namespace

WindowRef FindWindow(std::string_view title) {
  if (title.empty() || ::FindWindowA(nullptr, std::string(title).c_str()) == nullptr) return {};
  return WindowRef{std::string(title)};
}

bool SetForegroundWindow(const WindowRef& window) {
  HWND h = Find(window);
  if (h == nullptr) return false;
  if (::IsIconic(h)) ::ShowWindow(h, SW_RESTORE);
  ::SetForegroundWindow(h);
  return true;
}

bool SetFocus(const WindowRef& window) { return SetForegroundWindow(window); }

WindowPublication::WindowPublication(Application& app, std::function<void()> onActivate)
    : app_(app), onActivate_(std::make_shared<std::function<void()>>(std::move(onActivate))) {}

WindowPublication::~WindowPublication() { Withdraw(); }

void WindowPublication::Withdraw() {
  auto& published = Publications();
  for (auto it = published.begin(); it != published.end();) {
    it = it->second == this ? published.erase(it) : std::next(it);
  }
  title_.clear();
}

bool WindowPublication::Published() const { return !title_.empty(); }

void WindowPublication::NotifyActivated() {
  app_.Post([weak = std::weak_ptr<std::function<void()>>(onActivate_)] {
    if (auto fn = weak.lock(); fn && *fn) (*fn)();
  });
}

void WindowPublication::SetTitle(std::string_view title) {
  Withdraw();
  title_ = std::string(title);
  if (!title_.empty()) Publications().emplace(title_, this);
}

namespace win32 {

void DeliverOutsideActivation(std::string_view title) {
  auto range = Publications().equal_range(std::string(title));
  if (range.first == range.second) return;
  range.first->second->NotifyActivated();
}

}  // namespace win32
}  // namespace ui
