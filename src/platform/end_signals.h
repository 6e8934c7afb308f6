// SIGINT, SIGTERM and SIGHUP end the program the orderly way, as the menu's
// end command does: the signal handler only writes a byte to a pipe; the
// backend chosen watches the pipe from its event loop and from Sleep and ends the
// program from the game's own stack (ProgramExit{0}), so every window is
// destroyed on the way out.
#pragma once

#include <string>

namespace plat {

// Installs the handlers; call once, before Qt starts its threads. The
// orderly end has a deadline: 0.8 s after the first signal the program
// exits at once with the status it was ending with (0 unless a fatal error
// is pending), should the X server not answer meanwhile. A signal the
// program was started with ignored (nohup) stays ignored. SIGALRM ends
// the program only when its own deadline sends it.
void CatchEndSignals();

// For a command that waits on the X server (zembrant --quit): it ends
// with `status` and a line on stderr `ms` milliseconds from now at the
// latest (`deadlineLine`), and at once on SIGINT, SIGTERM or SIGHUP
// (`signalLine`).
void EndWithin(int ms, int status, const std::string& deadlineLine, const std::string& signalLine);

// Opens /dev/null on whichever of file descriptors 0, 1 and 2 is closed, so
// that no socket opened later gets one of those numbers and with it what is
// written to stderr.
void KeepStandardFdsOpen();
// Whether KeepStandardFdsOpen found descriptor `fd` closed; 1 alone.
bool FoundClosed(int fd);
bool StdoutWasClosed();

// The pipe's reading end, readable once a signal came; -1 before.
int EndSignalFd();

// True when a signal came since the last call (empties the pipe).
bool TakeEndSignal();

// Waits `ms` milliseconds, or until a signal comes: true when one came.
bool AwaitEndSignal(int ms);

}  // namespace plat
