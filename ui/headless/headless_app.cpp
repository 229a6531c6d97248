#include "ui/headless/headless_app.h"

#include <poll.h>

#include <algorithm>
#include <vector>

namespace ui::headless {

HeadlessApplication::HeadlessApplication() {
  // SIGTERM and SIGINT end the loop unless the program says otherwise.
  loop_.CatchTerminationSignals(nullptr);
  dialogs_.SetLoop(this);
}

TestApplication::TestApplication() { dialogs_.SetLoop(this); }

int TestApplication::WatchDescriptor(int fd, std::function<void()> onReadable) {
  const int id = nextWatch_++;
  watches_[id] = {fd, std::move(onReadable)};
  return id;
}

void TestApplication::PostQuit(int code) {
  if (quit_) return;
  quit_ = true;
  quitCode_ = code;
}

void TestApplication::RaiseTerminationSignal() {
  if (onSignal_) {
    auto handler = onSignal_;
    handler();
  } else {
    PostQuit(0);
  }
}

void TestApplication::Pump() {
  for (int round = 0; round < 100; ++round) {
    bool any = false;
    std::deque<std::function<void()>> batch;
    batch.swap(posted_);
    for (auto& fn : batch) {
      any = true;
      fn();
    }
    std::vector<pollfd> fds;
    std::vector<int> ids;
    for (const auto& [id, w] : watches_) {
      fds.push_back(pollfd{w.first, POLLIN, 0});
      ids.push_back(id);
    }
    if (!fds.empty() && ::poll(fds.data(), fds.size(), 0) > 0) {
      for (std::size_t i = 0; i < fds.size(); ++i) {
        if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
        auto it = watches_.find(ids[i]);
        if (it == watches_.end()) continue;
        auto fn = it->second.second;
        fn();
        any = true;
      }
    }
    if (!any) return;
  }
}

void TestApplication::Advance(std::uint64_t ms) {
  Pump();
  clock_.Advance(ms);
  Pump();
}

int TestApplication::Run() {
  constexpr std::uint64_t kStep = 50;
  for (;;) {
    Pump();
    if (quit_) break;
    if (clock_.Now() >= limit_) {
      return -1;
    }
    clock_.Advance(std::min(kStep, limit_ - clock_.Now()));
  }
  return quitCode_;
}

}  // namespace ui::headless
