// Waiting for a condition that events bring about, without spinning.
#pragma once

namespace zb {

// Longest pause between two checks. Key presses, timer ticks and window
// events wake the wait at once, so this only bounds a wake-up that never
// comes; it is long so that an idle title costs next to nothing.
inline constexpr int kWaitBoundMs = 500;

// Yields, checks `done`, and while it is false sleeps until an event is
// pending (at most kWaitBoundMs) and yields again.
template <typename Done>
void YieldUntil(Done&& done);

}  // namespace zb

#include "platform/events.h"

namespace zb {

template <typename Done>
void YieldUntil(Done&& done) {
  for (;;) {
    plat::DoEvents();
    if (done()) return;
    plat::WaitForEvents(kWaitBoundMs);
  }
}

}  // namespace zb
