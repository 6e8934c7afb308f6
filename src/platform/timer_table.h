// The timers of a real backend's windows. Each keeps its own due time on
// the steady clock: the backend wakes its event loop for the earliest
// (NextDueMs) and runs the ticks that fell due (DeliverDue) only where it
// dispatches, at yields and in the loops of modal windows.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "platform/window.h"

namespace plat {

// The steady clock, in milliseconds and microseconds.
std::int64_t SteadyMs();
std::int64_t SteadyUs();

struct TimerRec {
  TimerId id = kNoTimer;
  WindowId owner = kNoWindow;
  std::function<void()> onTick;
  int interval = 0;
  bool enabled = true;
  bool running = false;    // its handler is under way
  std::int64_t dueMs = 0;  // steady clock, valid while Active()
  bool Active() const { return enabled && interval > 0; }
};

class TimerTable {
 public:
  // A new timer of `owner`'s, idle until it is given an interval.
  TimerId Create(WindowId owner, std::function<void()> onTick);
  void Erase(TimerId id);
  // Both count the interval afresh from now. False when nothing changed:
  // no such timer, or already enabled or disabled as asked.
  bool SetInterval(TimerId id, int ms);
  bool SetEnabled(TimerId id, bool enabled);
  int Interval(TimerId id) const;  // 0 for no such timer
  bool Enabled(TimerId id) const;
  // When the earliest timer falls due that is active and not running; -1
  // for none.
  std::int64_t NextDueMs() const;
  bool AnyDue() const;
  // Hands `run` the handler of each timer due now, in the order they fell
  // due, until `ending` says the program ends. Missed ticks fold into one
  // and the rhythm goes on from there; a handler does not run inside
  // itself. A handler may make, change or destroy timers, its own too.
  void DeliverDue(const std::function<void(const std::function<void()>&)>& run,
                  const std::function<bool()>& ending);

 private:
  TimerRec* Find(TimerId id);
  const TimerRec* Find(TimerId id) const;

  std::map<TimerId, TimerRec> timers_;
  TimerId next_ = 1;
};

}  // namespace plat
