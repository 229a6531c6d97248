#include "ui/window_search.h"

#include <cstdint>
#include <cstdio>

#include "ui/host.h"
#include "ui/win_constants.h"

namespace ui {

namespace {

// The channel name of a title. The channel keeps letters and digits only,
// so the title's own hash keeps "A B" and "A_B" apart.
std::string ChannelFor(std::string_view title) {
  std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : title) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  // Long titles are cut: the hash alone tells them apart.
  return "window-" + std::string(title.substr(0, 40)) + "-" + hex;
}

bool Send(const WindowRef& window, unsigned message) {
  if (!window) return false;
  long result = 0;
  return SendInstanceMessage(ChannelFor(window.title), message, 0, 0, &result, 5000) && result == 1;
}

}  // namespace

WindowRef FindWindow(std::string_view title) {
  if (title.empty() || !InstanceExists(ChannelFor(title))) return {};
  return WindowRef{std::string(title)};
}

bool SetForegroundWindow(const WindowRef& window) { return Send(window, WM_ACTIVATE); }

bool SetFocus(const WindowRef& window) { return Send(window, WM_SETFOCUS); }

WindowPublication::WindowPublication(Application& app, std::function<void()> onActivate)
    : app_(app), onActivate_(std::make_shared<std::function<void()>>(std::move(onActivate))) {}

WindowPublication::~WindowPublication() { Withdraw(); }

void WindowPublication::Withdraw() {
  if (watch_ != 0) app_.UnwatchDescriptor(watch_);
  watch_ = 0;
  listener_.Close();
  title_.clear();
}

bool WindowPublication::Published() const { return listener_.IsListening(); }

void WindowPublication::NotifyActivated() {
  app_.Post([weak = std::weak_ptr<std::function<void()>>(onActivate_)] {
    if (auto fn = weak.lock(); fn && *fn) (*fn)();
  });
}

void WindowPublication::SetTitle(std::string_view title) {
  if (title == title_ && (title.empty() || Published())) return;
  Withdraw();
  if (title.empty()) return;
  title_ = std::string(title);
  const bool listening = listener_.Listen(ChannelFor(title), [this](unsigned message, std::uintptr_t,
                                                                    std::intptr_t) -> long {
    if (message != WM_ACTIVATE && message != WM_SETFOCUS) return 0;
    NotifyActivated();
    return 1;
  });
  if (listening) watch_ = app_.WatchDescriptor(listener_.fd(), [this] { listener_.HandleReady(); });
}

}  // namespace ui
