// SIGINT, SIGTERM and SIGHUP end the program the orderly way, as the menu's
// end command does: the signal handler only writes a byte to a pipe; the
// backend watches the pipe from its event loop and from Sleep and ends the
// program from the game's own stack (ProgramExit{0}), so every window is
// destroyed on the way out.
#pragma once

namespace plat::qt {

// Installs the handlers; call once, before Qt starts its threads.
void CatchEndSignals();

// The pipe's reading end, readable once a signal came; -1 before.
int EndSignalFd();

// True when a signal came since the last call (empties the pipe).
bool TakeEndSignal();

// Waits up to `ms` milliseconds for a signal; true when one came.
bool AwaitEndSignal(int ms);

}  // namespace plat::qt
