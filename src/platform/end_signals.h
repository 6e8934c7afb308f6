// SIGINT, SIGTERM and SIGHUP end the program the orderly way: the handler
// only writes a byte to a pipe that the event loop and Sleep watch, and the
// program ends from the game's own stack (ProgramExit{0}).
#pragma once

namespace plat {

// Installs the handlers (once). 0.8 s after the first signal the program
// exits at once, should the compositor not let it end in order.
void CatchEndSignals();
// Opens /dev/null on whichever of file descriptors 0 to 2 is closed.
void KeepStandardFdsOpen();
// The pipe's reading end, readable once a signal came; -1 before.
int EndSignalFd();
// True when a signal came since the last call (empties the pipe).
bool TakeEndSignal();

}  // namespace plat
