// The event pump: a yield dispatches what the compositor sent, runs the
// handlers it brought and the ticks that are due, then sends every change
// of the sprites and returns once the compositor has them.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/end_signals.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/handler_guard.h"
#include "platform/wayland/state.h"

namespace plat::wl {
namespace {

bool AnyTimerDue() { return B().timers.AnyDue(); }

void EndOnSignal() { RunHandler([] { throw ProgramExit{0}; }); }

}  // namespace

Backend& B() {
  static Backend* backend = new Backend;  // lives as long as the process
  return *backend;
}

bool Open() { return B().display != nullptr; }

void Defer(std::function<void()> handler) { B().deferred.push_back(std::move(handler)); }

void RunDeferred() {
  Backend& b = B();
  while (!b.deferred.empty()) {
    const std::function<void()> handler = std::move(b.deferred.front());
    b.deferred.pop_front();
    ++b.handlerDepth;
    RunHandler(handler);
    --b.handlerDepth;
  }
}

// One pass of a loop that waits for the compositor, the clock and signals:
// what modal windows run while they are open.
void PumpOnce(int maxMs) {
  const std::int64_t next = B().timers.NextDueMs();
  int wait = maxMs;
  if (next >= 0) wait = static_cast<int>(std::clamp<std::int64_t>(next - SteadyMs(), 0, maxMs));
  if (PumpEvents(wait)) EndOnSignal();
  RunDeferred();
  DeliverDueTimers();
  SendChanges();
}

}  // namespace plat::wl

namespace plat::wl {

using namespace plat::wl;

void DoEvents() {
  if (!Open()) return;
  Backend& b = B();
  if (PumpEvents(0)) EndOnSignal();
  RunDeferred();
  DeliverDueTimers();
  SendChanges();
  ThrowPendingExit();
  if (b.handlerDepth == 0 && b.modalDepth == 0) ThrowScreenChange();
}

void WaitForEvents(int maxMs) {
  if (maxMs <= 0) return;
  if (!Open()) {
    Sleep(maxMs);
    return;
  }
  Backend& b = B();
  Flush();
  const std::int64_t end = SteadyMs() + maxMs;
  const std::uint64_t keysBefore = b.keyEvents;
  for (;;) {
    if (!b.deferred.empty() || AnyTimerDue() || b.keyEvents != keysBefore || ExitPending()) return;
    const std::int64_t now = SteadyMs();
    if (now >= end) return;
    std::int64_t until = end;
    const std::int64_t next = B().timers.NextDueMs();
    if (next >= 0) until = std::min(until, next);
    if (PumpEvents(static_cast<int>(std::max<std::int64_t>(0, until - now)))) EndOnSignal();
  }
}

void Sleep(int ms) {
  if (ms <= 0) return;
  if (!Open()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  // The compositor's events wait in the socket; only a signal wakes it.
  Flush();
  if (AwaitEndSignal(ms)) {
    EndOnSignal();
    ThrowPendingExit();
  }
}

std::uint32_t TimeGetTime() { return static_cast<std::uint32_t>(SteadyMs()); }

std::uint64_t ClockSeed() {
  using namespace std::chrono;
  const auto ns = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
  return static_cast<std::uint64_t>(ns) ^ (static_cast<std::uint64_t>(::getpid()) << 32);
}

}  // namespace plat::wl
