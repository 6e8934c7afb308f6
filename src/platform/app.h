// Opening and closing the platform.
#pragma once

#include <string>

namespace plat {

// Connects to the window system. Returns "" on success, otherwise one line
// saying why it could not (no display, ...). Called once, before anything
// else of the platform.
std::string OpenPlatform(int& argc, char** argv);

// Makes this copy of the program the one that plays on its display. Returns
// "" when it is, otherwise one line saying why not (another copy plays there
// already); the program then ends with exit status 1. Called by the program
// after OpenPlatform; the tests of the platform leave it out.
std::string ClaimDisplay();

// Destroys every window that is left and disconnects.
void ClosePlatform();

}  // namespace plat
