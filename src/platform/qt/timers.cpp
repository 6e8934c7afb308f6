// Window timers. Each keeps its own due time; one Qt timer (the pump) wakes
// the event loop when the earliest falls due, so ticks reach the game only
// where Qt dispatches: DoEvents and the loops of modal windows.
#include <QTimer>

#include <algorithm>

#include "platform/handler_guard.h"
#include "platform/qt/backend.h"

namespace plat::qt {

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
    Dispatch(tick);
    if (TimerRec* after = FindTimer(id)) after->running = false;
  }
  ReschedulePump();
}

void ReschedulePump() {
  Backend& b = B();
  if (!b.pump) return;
  std::int64_t next = -1;
  for (const auto& [id, t] : b.timers) {
    if (t.Active() && !t.running && (next < 0 || t.dueMs < next)) next = t.dueMs;
  }
  if (next < 0) {
    b.pump->stop();
    return;
  }
  if (b.pump->isActive() && next == b.pumpDueMs) return;  // already set for it
  b.pumpDueMs = next;
  b.pump->start(static_cast<int>(std::clamp<std::int64_t>(next - SteadyMs(), 0, 1 << 30)));
}

void DropTimersOf(WindowRec& rec) {
  for (TimerId t : rec.timers) B().timers.erase(t);
  rec.timers.clear();
}

}  // namespace plat::qt

namespace plat::qt {

using namespace plat::qt;

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
  ReschedulePump();
}

void SetTimerEnabled(TimerId id, bool enabled) {
  TimerRec* t = FindTimer(id);
  if (!t || t->enabled == enabled) return;
  t->enabled = enabled;
  if (enabled) t->dueMs = SteadyMs() + t->interval;
  ReschedulePump();
}

int TimerInterval(TimerId id) {
  const TimerRec* t = FindTimer(id);
  return t ? t->interval : 0;
}

bool TimerEnabled(TimerId id) {
  const TimerRec* t = FindTimer(id);
  return t && t->enabled;
}

}  // namespace plat::qt
