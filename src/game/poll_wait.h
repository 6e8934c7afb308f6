// Waiting for a condition that events bring about, without spinning.
#pragma once

namespace zb {

// Longest pause between two checks: the wait ends within this of the event.
inline constexpr int kPollMs = 10;

// Yields, checks `done`, and while it is false sleeps until an event is
// pending (at most kPollMs) and yields again.
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
    plat::WaitForEvents(kPollMs);
  }
}

}  // namespace zb
