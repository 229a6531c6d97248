#include "ui/headless/virtual_clock.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace ui::headless {

unsigned VirtualClock::SetTimer(unsigned intervalMs, TimerProc proc) {
  if (!proc) return 0;
  unsigned id = nextId_;
  while (id == 0 || timers_.count(id) != 0) ++id;
  nextId_ = id + 1;
  const std::uint64_t interval = std::max(1u, intervalMs);
  timers_[id] = Timer{interval, now_ + interval, order_++, std::move(proc)};
  return id;
}

bool VirtualClock::KillTimer(unsigned timerId) { return timers_.erase(timerId) != 0; }

std::uint64_t VirtualClock::NextDue() const {
  std::uint64_t next = std::numeric_limits<std::uint64_t>::max();
  for (const auto& [id, t] : timers_) next = std::min(next, t.due);
  return next;
}

void VirtualClock::Advance(std::uint64_t ms) {
  const std::uint64_t target = now_ + ms;
  for (;;) {
    auto best = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
      if (it->second.due > target) continue;
      if (best == timers_.end() || it->second.due < best->second.due ||
          (it->second.due == best->second.due && it->second.order < best->second.order)) {
        best = it;
      }
    }
    if (best == timers_.end()) break;
    now_ = best->second.due;
    best->second.due += best->second.interval;
    best->second.order = order_++;
    const unsigned id = best->first;
    ++fired_[id];
    auto proc = best->second.proc;
    proc(id);
  }
  now_ = target;
}

void VirtualClock::After(std::uint64_t ms, std::function<void()> fn) {
  auto shared = std::make_shared<std::function<void()>>(std::move(fn));
  const unsigned id = SetTimer(static_cast<unsigned>(std::max<std::uint64_t>(ms, 1)),
                               [this, shared](unsigned self) {
                                 KillTimer(self);
                                 (*shared)();
                               });
  (void)id;
}

std::vector<unsigned> VirtualClock::TimerIds() const {
  std::vector<unsigned> ids;
  for (const auto& [id, t] : timers_) ids.push_back(id);
  return ids;
}

unsigned VirtualClock::IntervalOf(unsigned timerId) const {
  auto it = timers_.find(timerId);
  return it == timers_.end() ? 0 : static_cast<unsigned>(it->second.interval);
}

int VirtualClock::Fired(unsigned timerId) const {
  auto it = fired_.find(timerId);
  return it == fired_.end() ? 0 : it->second;
}

}  // namespace ui::headless
