// Window timers: the event loop waits for the earliest, and ticks reach
// the game only at yields and in modal loops.
#include "platform/handler_guard.h"
#include "platform/wayland/state.h"

namespace plat::wl {

void DeliverDueTimers() {
  Backend& b = B();
  b.timers.DeliverDue(
      [&b](const std::function<void()>& tick) {
        ++b.handlerDepth;
        RunHandler(tick);
        --b.handlerDepth;
      },
      [] { return ExitPending(); });
}

void DropTimersOf(WindowRec& rec) {
  for (TimerId t : rec.timers) B().timers.Erase(t);
  rec.timers.clear();
}

}  // namespace plat::wl

namespace plat::wl {

using namespace plat::wl;

TimerId CreateTimer(WindowId owner, std::function<void()> onTick) {
  WindowRec* rec = FindWindow(owner);
  if (!rec) return kNoTimer;
  const TimerId id = B().timers.Create(owner, std::move(onTick));
  rec->timers.push_back(id);
  return id;
}

void SetTimerInterval(TimerId id, int ms) { B().timers.SetInterval(id, ms); }

void SetTimerEnabled(TimerId id, bool enabled) { B().timers.SetEnabled(id, enabled); }

int TimerInterval(TimerId id) { return B().timers.Interval(id); }

bool TimerEnabled(TimerId id) { return B().timers.Enabled(id); }

}  // namespace plat::wl
