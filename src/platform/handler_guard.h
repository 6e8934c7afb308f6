// The handler guard: how every backend runs a game event handler so that no
// exception ever crosses the window system's event loop.
//
// A backend calls RunHandler for each handler it delivers (timer tick, mouse
// down, got focus, ...). What escapes the handler is caught there:
// - a ProgramExit is remembered as it is;
// - any other exception is a fatal error: its text (what() of a
//   std::exception, otherwise "Unknown error") is written to stderr as
//   "zembrant: <text>" and shown in the fatal message box (ShowMessageBox),
//   and ProgramExit{1} is remembered.
// Only the first exit is remembered. From then on RunHandler runs no handler
// at all, and ThrowPendingExit, which each backend calls where its DoEvents
// or modal loop (menu, dialog, message box) returns to the game, throws the
// remembered ProgramExit from the game's own stack. It stays remembered, so
// every later yield throws it again, until ResetHandlerGuard.
#pragma once

#include <functional>

namespace plat {

// Runs `handler` unless an exit is pending, catching everything it throws.
void RunHandler(const std::function<void()>& handler);

// True once a handler has ended the program (see above).
bool ExitPending();

// Throws the remembered ProgramExit, if any; otherwise does nothing.
void ThrowPendingExit();

// Remembers ProgramExit{1} unless an exit is remembered already: a fatal
// error is being reported, and no later exit (a signal's) may hide it.
void RememberFatalExit();

// The status of the remembered exit, -1 when there is none. Safe to call
// from a signal handler.
int PendingExitStatus();

// Forgets a remembered exit (a fresh platform: OpenPlatform, a test's reset).
void ResetHandlerGuard();

}  // namespace plat
