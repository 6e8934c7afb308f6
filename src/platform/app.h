// Opening and closing the platform.
#pragma once

#include <string>

namespace plat {

// Readies the process before anything else runs: file descriptors 0 to 2
// are open (on /dev/null where they were closed, so that no connection
// opened later takes their place and receives diagnostics), and SIGINT,
// SIGTERM and SIGHUP are caught from the first instant. The program calls
// it first of all.
void PrepareProcess();
// Whether file descriptor 1 was closed when the program started (what it
// writes there now goes nowhere).
bool StdoutClosedAtStart();

// An exit status and, unless empty, one line for stderr.
struct Outcome {
  int status = 0;
  std::string message;
};

// Asks the copy of the program playing on this display to end, as SIGTERM
// would, and waits up to 5 seconds for it to have gone: 0 when it has, 1
// when none plays there (or it did not end), 2 without a display.
Outcome QuitRunningCopy();

// Connects to the window system. Returns "" on success, otherwise one line
// saying why it could not (no display, ...). Called once, before anything
// else of the platform. `neededWidth` is the width in logical pixels the
// game needs on the primary monitor: a scale factor the platform derives
// from the desktop's resolution itself is kept small enough for it (0: no
// such need).
std::string OpenPlatform(int& argc, char** argv, int neededWidth = 0);

// Makes this copy of the program the one that plays on its display. Returns
// "" when it is, otherwise one line saying why not (another copy plays there
// already); the program then ends with exit status 1. Called by the program
// after OpenPlatform; the tests of the platform leave it out.
std::string ClaimDisplay();

// Destroys every window that is left and disconnects.
void ClosePlatform();

}  // namespace plat
