// Window timers: each keeps its own due time; the event loop waits for the
// earliest, and ticks reach the game only at yields and in modal loops.
#include <algorithm>
#include <chrono>

#include "platform/handler_guard.h"
#include "platform/wayland/state.h"

namespace plat::wl {

std::int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t SteadyUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void DeliverDueTimers() {
  Backend& b = B();
  const std::int64_t now = SteadyMs();
  std::vector<std::pair<std::int64_t, TimerId>> due;
  for (const auto& [id, t] : b.timers) {
    if (t.Active() && !t.running && t.dueMs <= now) due.emplace_back(t.dueMs, id);
  }
  std::sort(due.begin(), due.end());  // in the order they fell due
  for (const auto& [dueMs, id] : due) {
    TimerRec* t = FindTimer(id);
    if (!t || !t->Active() || t->running || t->dueMs > now || ExitPending()) continue;
    // Missed ticks fold into this one; the rhythm goes on from here.
    t->dueMs += t->interval;
    if (t->dueMs <= now) t->dueMs = now + t->interval;
    t->running = true;
    const std::function<void()> tick = t->onTick;  // the handler may destroy its timer
    ++b.handlerDepth;
    RunHandler(tick);
    --b.handlerDepth;
    if (TimerRec* after = FindTimer(id)) after->running = false;
  }
}

std::int64_t NextTimerDueMs() {
  std::int64_t next = -1;
  for (const auto& [id, t] : B().timers) {
    if (t.Active() && !t.running && (next < 0 || t.dueMs < next)) next = t.dueMs;
  }
  return next;
}

void DropTimersOf(WindowRec& rec) {
  for (TimerId t : rec.timers) B().timers.erase(t);
  rec.timers.clear();
}

TimerRec* FindTimer(TimerId t) {
  auto it = B().timers.find(t);
  return it == B().timers.end() ? nullptr : &it->second;
}

}  // namespace plat::wl

namespace plat::wl {

using namespace plat::wl;

TimerId CreateTimer(WindowId owner, std::function<void()> onTick) {
  WindowRec* rec = FindWindow(owner);
  if (!rec) return kNoTimer;
  const TimerId id = B().nextTimer++;
  TimerRec& t = B().timers[id];
  t.id = id;
  t.owner = owner;
  t.onTick = std::move(onTick);
  rec->timers.push_back(id);
  return id;
}

void SetTimerInterval(TimerId id, int ms) {
  TimerRec* t = FindTimer(id);
  if (!t) return;
  t->interval = std::max(0, ms);
  t->dueMs = SteadyMs() + t->interval;
}

void SetTimerEnabled(TimerId id, bool enabled) {
  TimerRec* t = FindTimer(id);
  if (!t || t->enabled == enabled) return;
  t->enabled = enabled;
  if (enabled) t->dueMs = SteadyMs() + t->interval;
}

int TimerInterval(TimerId id) {
  const TimerRec* t = FindTimer(id);
  return t ? t->interval : 0;
}

bool TimerEnabled(TimerId id) {
  const TimerRec* t = FindTimer(id);
  return t && t->enabled;
}

}  // namespace plat::wl
