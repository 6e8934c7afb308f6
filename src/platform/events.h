// The event pump and the clock.
#pragma once

#include <cstdint>

namespace plat {

// Yields to pending window events: timer ticks that are due, mouse clicks,
// focus changes, repaints. Returns when they have run and every window shown
// or changed since the last yield is painted on screen. Throws ProgramExit
// when a handler ended the program (see window.h).
void DoEvents();

// Blocks until an input or timer event is pending or `maxMs` have passed,
// whichever is first; delivers nothing (follow it with DoEvents). Key presses
// wake it, and so does a signal that asks the program to end.
void WaitForEvents(int maxMs);

// Sleeps `ms` milliseconds, delivering nothing. When the program is asked to
// end meanwhile (SIGINT, SIGTERM, SIGHUP), wakes at once and throws
// ProgramExit{0}; so do the next yields.
void Sleep(int ms);

// Milliseconds since some fixed point, wrapping around at 2^32.
std::uint32_t TimeGetTime();

}  // namespace plat

namespace plat {

// A seed for the game's random generator, taken from the system clock (from
// the test's own seed on the simulated backend).
std::uint64_t ClockSeed();

}  // namespace plat
