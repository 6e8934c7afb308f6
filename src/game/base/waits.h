// Waiting: a plain sleep, a yield followed by a sleep, and waiting for a
// condition that events bring about, without spinning.
#pragma once

#include <cstdint>

#include "platform/events.h"

namespace zb {

// Sleeps `ms` milliseconds; no event is delivered meanwhile.
void WaitMs(std::int32_t ms);
// Yields once, so that what was just shown gets painted, then sleeps `ms`.
void YieldAndWait(std::int32_t ms);

// Longest pause between two checks. Key presses, timer ticks and window
// events wake the wait at once, so this only bounds a wake-up that never
// comes; it is long so that an idle title costs next to nothing.
inline constexpr int kWaitBoundMs = 500;

// Yields, checks `done`, and while it is false sleeps until an event is
// pending (at most kWaitBoundMs) and yields again.
template <typename Done>
void YieldUntil(Done&& done) {
  for (;;) {
    plat::DoEvents();
    if (done()) return;
    plat::WaitForEvents(kWaitBoundMs);
  }
}

}  // namespace zb
