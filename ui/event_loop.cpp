#include "ui/event_loop.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

#include "ui/signals.h"

namespace ui {

unsigned EventLoop::SetTimer(unsigned intervalMs, TimerProc proc) {
  if (!proc) return 0;
  unsigned id = nextTimerId_;
  while (id == 0 || timers_.count(id) != 0) ++id;
  nextTimerId_ = id + 1;
  const auto interval = std::chrono::milliseconds(std::max(1u, intervalMs));
  timers_[id] = Timer{interval, Clock::now() + interval, std::move(proc)};
  return id;
}

bool EventLoop::KillTimer(unsigned timerId) { return timers_.erase(timerId) != 0; }

int EventLoop::Watch(int fd, std::function<void()> onReadable) {
  const int id = nextWatchId_++;
  watches_[id] = WatchEntry{fd, std::move(onReadable)};
  return id;
}

void EventLoop::Unwatch(int watchId) { watches_.erase(watchId); }

void EventLoop::Post(std::function<void()> fn) { posted_.push_back(std::move(fn)); }

void EventLoop::CatchTerminationSignals(std::function<void()> handler) {
  onSignal_ = std::move(handler);
  if (signalWatch_ != 0) return;
  const int fd = TerminationSignalFd();
  if (fd < 0) return;
  signalWatch_ = Watch(fd, [this] {
    if (!DrainTerminationSignals()) return;
    if (onSignal_) {
      auto handler = onSignal_;
      handler();
    } else {
      Quit(0);
    }
  });
}

void EventLoop::Quit(int code) {
  if (quit_) return;
  quit_ = true;
  quitCode_ = code;
}

int EventLoop::Run() {
  while (RunOnce(-1)) {
  }
  quit_ = false;  // the loop can run again after it returned
  return quitCode_;
}

void EventLoop::RunPosted() {
  // Calls posted while these run wait for the next round.
  std::deque<std::function<void()>> batch;
  batch.swap(posted_);
  for (auto& fn : batch) {
    if (quit_) return;
    fn();
  }
}

void EventLoop::FireDueTimers() {
  const auto now = Clock::now();
  std::vector<unsigned> due;
  for (const auto& [id, t] : timers_) {
    if (t.due <= now) due.push_back(id);
  }
  for (unsigned id : due) {
    if (quit_) return;
    auto it = timers_.find(id);
    if (it == timers_.end()) continue;  // killed by an earlier callback
    // Missed periods are not made up: the next one starts now.
    it->second.due = now + it->second.interval;
    auto proc = it->second.proc;
    proc(id);
  }
}

bool EventLoop::RunOnce(int maxWaitMs) {
  if (quit_) return false;
  RunPosted();
  if (quit_) return false;

  int timeout = maxWaitMs;
  if (!posted_.empty()) timeout = 0;
  if (!timers_.empty()) {
    auto next = Clock::time_point::max();
    for (const auto& [id, t] : timers_) next = std::min(next, t.due);
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
    const int w = static_cast<int>(std::clamp<long long>(wait, 0, INT_MAX));
    timeout = timeout < 0 ? w : std::min(timeout, w);
  }

  std::vector<pollfd> fds;
  std::vector<int> ids;
  for (const auto& [id, w] : watches_) {
    fds.push_back(pollfd{w.fd, POLLIN, 0});
    ids.push_back(id);
  }
  const int n = ::poll(fds.data(), fds.size(), timeout);
  if (n < 0 && errno != EINTR) return !quit_;
  if (n > 0) {
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      auto it = watches_.find(ids[i]);
      if (it == watches_.end()) continue;  // removed by an earlier callback
      auto fn = it->second.onReadable;
      fn();
      if (quit_) return false;
    }
  }
  FireDueTimers();
  return !quit_;
}

}  // namespace ui
