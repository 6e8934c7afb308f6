#include "platform/timer_table.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace plat {

std::int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t SteadyUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

TimerId TimerTable::Create(WindowId owner, std::function<void()> onTick) {
  const TimerId id = next_++;
  TimerRec& t = timers_[id];
  t.id = id;
  t.owner = owner;
  t.onTick = std::move(onTick);
  return id;
}

void TimerTable::Erase(TimerId id) { timers_.erase(id); }

bool TimerTable::SetInterval(TimerId id, int ms) {
  TimerRec* t = Find(id);
  if (!t) return false;
  t->interval = std::max(0, ms);
  t->dueMs = SteadyMs() + t->interval;
  return true;
}

bool TimerTable::SetEnabled(TimerId id, bool enabled) {
  TimerRec* t = Find(id);
  if (!t || t->enabled == enabled) return false;
  t->enabled = enabled;
  if (enabled) t->dueMs = SteadyMs() + t->interval;
  return true;
}

int TimerTable::Interval(TimerId id) const {
  const TimerRec* t = Find(id);
  return t ? t->interval : 0;
}

bool TimerTable::Enabled(TimerId id) const {
  const TimerRec* t = Find(id);
  return t && t->enabled;
}

std::int64_t TimerTable::NextDueMs() const {
  std::int64_t next = -1;
  for (const auto& [id, t] : timers_) {
    if (t.Active() && !t.running && (next < 0 || t.dueMs < next)) next = t.dueMs;
  }
  return next;
}

bool TimerTable::AnyDue() const {
  const std::int64_t next = NextDueMs();
  return next >= 0 && next <= SteadyMs();
}

void TimerTable::DeliverDue(const std::function<void(const std::function<void()>&)>& run,
                            const std::function<bool()>& ending) {
  const std::int64_t now = SteadyMs();
  std::vector<std::pair<std::int64_t, TimerId>> due;
  for (const auto& [id, t] : timers_) {
    if (t.Active() && !t.running && t.dueMs <= now) due.emplace_back(t.dueMs, id);
  }
  std::sort(due.begin(), due.end());  // in the order they fell due
  for (const auto& [dueMs, id] : due) {
    TimerRec* t = Find(id);
    if (!t || !t->Active() || t->running || t->dueMs > now || ending()) continue;
    t->dueMs += t->interval;
    if (t->dueMs <= now) t->dueMs = now + t->interval;
    t->running = true;
    const std::function<void()> tick = t->onTick;  // the handler may destroy its timer
    run(tick);
    if (TimerRec* after = Find(id)) after->running = false;
  }
}

TimerRec* TimerTable::Find(TimerId id) {
  const auto it = timers_.find(id);
  return it == timers_.end() ? nullptr : &it->second;
}

const TimerRec* TimerTable::Find(TimerId id) const {
  const auto it = timers_.find(id);
  return it == timers_.end() ? nullptr : &it->second;
}

}  // namespace plat
