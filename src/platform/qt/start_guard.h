// Qt's start-up when it goes wrong: limits too low to start, and a start
// that dies (a crash inside Qt, a library that calls exit, an abort) still
// ends with the program's own line on stderr and status 2.
#pragma once

#include <string>

namespace plat::qt {

// The open-files limit raised to what the program needs where the hard
// limit allows; one line saying why not otherwise, "" when all is well.
std::string CheckOpenFilesLimit();

// The limits in force that can keep Qt from starting, for a line that says
// it could not (" under a limit of ..."); "" when none is set low.
std::string LimitsInForce();

// From StartGuard until EndStartGuard, a fatal signal or a call of exit()
// writes what stderr held back meanwhile (`heldStderr`, unless the X
// server has gone: `xFd` is a connection to it) to the real stderr
// (`savedStderr`, -1 when stderr is itself), then one line of the
// program's, and ends the process with status 2.
void StartGuard(int savedStderr, int heldStderr, int xFd);
// Stderr is itself again (the held text was let through).
void StderrReleased();
void EndStartGuard();
bool StartGuarded();
// Whether the X server closed the connection given to StartGuard.
bool ServerGone();

// What the line says should Qt end the start now (a warning Qt is told to
// treat as fatal).
void NoteStartFailure(const std::string& what);

// Says once that the connection to the X display was lost; Xlib, which
// Qt's xcb plugin loads, is kept from saying it its own way and ends the
// process with status 1 (2 while Qt starts).
void SayConnectionLost();
void QuietXlib();

// Ends the process at once with one line: the X connection lost, or what
// failed (`what`, e.g. "cannot start a thread (...)") and the limits in
// force; status 2 while Qt starts, `status` after. Safe only outside
// signal handlers.
[[noreturn]] void EndStart(const std::string& what, int status = 2);

}  // namespace plat::qt
