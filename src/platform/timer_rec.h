// A window's timer as a real backend keeps it: its owner, handler, interval
// and when it is next due on the steady clock.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/window.h"

namespace plat {

struct TimerRec {
  TimerId id = kNoTimer;
  WindowId owner = kNoWindow;
  std::function<void()> onTick;
  int interval = 0;
  bool enabled = true;
  bool running = false;
  std::int64_t dueMs = 0;  // steady clock, valid while Active()
  bool Active() const { return enabled && interval > 0; }
};

}  // namespace plat
