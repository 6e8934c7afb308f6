// Window timers: one Qt timer (the pump) wakes the event loop when the
// earliest falls due, so ticks reach the game only where Qt dispatches:
// DoEvents and the loops of modal windows.
#include <QTimer>

#include <algorithm>

#include "platform/handler_guard.h"
#include "platform/qt/backend.h"

namespace plat::qt {

void DeliverDueTimers() {
  B().timers.DeliverDue([](const std::function<void()>& tick) { Dispatch(tick); }, [] { return ExitPending(); });
  ReschedulePump();
}

void ReschedulePump() {
  Backend& b = B();
  if (!b.pump) return;
  const std::int64_t next = b.timers.NextDueMs();
  if (next < 0) {
    b.pump->stop();
    return;
  }
  if (b.pump->isActive() && next == b.pumpDueMs) return;  // already set for it
  b.pumpDueMs = next;
  b.pump->start(static_cast<int>(std::clamp<std::int64_t>(next - SteadyMs(), 0, 1 << 30)));
}

void DropTimersOf(WindowRec& rec) {
  for (TimerId t : rec.timers) B().timers.Erase(t);
  rec.timers.clear();
}

}  // namespace plat::qt

namespace plat::qt {

using namespace plat::qt;

TimerId CreateTimer(WindowId owner, std::function<void()> onTick) {
  WindowRec* rec = FindWindow(owner);
  if (!rec) return kNoTimer;
  const TimerId id = B().timers.Create(owner, std::move(onTick));
  rec->timers.push_back(id);
  return id;
}

void SetTimerInterval(TimerId id, int ms) {
  if (B().timers.SetInterval(id, ms)) ReschedulePump();
}

void SetTimerEnabled(TimerId id, bool enabled) {
  if (B().timers.SetEnabled(id, enabled)) ReschedulePump();
}

int TimerInterval(TimerId id) { return B().timers.Interval(id); }

bool TimerEnabled(TimerId id) { return B().timers.Enabled(id); }

}  // namespace plat::qt
