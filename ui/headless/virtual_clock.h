// Timers on a clock that only moves when a test moves it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "ui/host.h"

namespace ui::headless {

class VirtualClock : public TimerService {
 public:
  unsigned SetTimer(unsigned intervalMs, TimerProc proc) override;
  bool KillTimer(unsigned timerId) override;

  // Moves the clock forward by ms, firing every timer that falls due on the
  // way, in time order (of timers due at the same moment, the one that was
  // set or last fired earliest goes first). A timer set by a callback
  // counts from that moment.
  void Advance(std::uint64_t ms);
  // Runs fn once, ms from now.
  void After(std::uint64_t ms, std::function<void()> fn);
  std::uint64_t Now() const { return now_; }
  // When the next timer falls due, or UINT64_MAX when none runs.
  std::uint64_t NextDue() const;

  bool IsActive(unsigned timerId) const { return timers_.count(timerId) != 0; }
  std::size_t ActiveTimers() const { return timers_.size(); }
  std::vector<unsigned> TimerIds() const;
  unsigned IntervalOf(unsigned timerId) const;
  // How often each timer id fired in all.
  int Fired(unsigned timerId) const;

 private:
  struct Timer {
    std::uint64_t interval;
    std::uint64_t due;
    std::uint64_t order;
    TimerProc proc;
  };
  std::map<unsigned, Timer> timers_;
  std::map<unsigned, int> fired_;
  std::uint64_t now_ = 0;
  std::uint64_t order_ = 0;
  unsigned nextId_ = 1;
};

}  // namespace ui::headless
