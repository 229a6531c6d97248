// A plain event loop for a program without a display: real-time timers,
// descriptors watched with poll(), posted calls, and SIGTERM/SIGINT through
// a self-pipe. Single-threaded: everything runs on the thread in Run().
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>

#include "ui/host.h"

namespace ui {

class EventLoop final : public TimerService {
 public:
  using Clock = std::chrono::steady_clock;

  EventLoop() = default;
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  unsigned SetTimer(unsigned intervalMs, TimerProc proc) override;
  bool KillTimer(unsigned timerId) override;
  std::size_t TimerCount() const { return timers_.size(); }

  int Watch(int fd, std::function<void()> onReadable);
  void Unwatch(int watchId);
  void Post(std::function<void()> fn);
  // Watches the termination signals; handler runs on the loop (without
  // one, the loop quits with 0).
  void CatchTerminationSignals(std::function<void()> handler);

  // Runs until Quit; returns its code. A Quit before Run ends the next Run
  // at once.
  int Run();
  void Quit(int code);
  // One round: waits at most maxWaitMs for an event and handles what is
  // due. False once Quit was called.
  bool RunOnce(int maxWaitMs);

 private:
  struct Timer {
    std::chrono::milliseconds interval;
    Clock::time_point due;
    TimerProc proc;
  };
  struct WatchEntry {
    int fd;
    std::function<void()> onReadable;
  };

  void RunPosted();
  void FireDueTimers();

  std::map<unsigned, Timer> timers_;
  unsigned nextTimerId_ = 1;
  std::map<int, WatchEntry> watches_;
  int nextWatchId_ = 1;
  std::deque<std::function<void()>> posted_;
  std::function<void()> onSignal_;
  int signalWatch_ = 0;
  bool quit_ = false;
  int quitCode_ = 0;
};

}  // namespace ui
