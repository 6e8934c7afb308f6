// Opening and closing the platform.
#pragma once

#include <string>

namespace plat {

// Connects to the window system. Returns "" on success, otherwise one line
// saying why it could not (no display, ...). Called once, before anything
// else of the platform.
std::string OpenPlatform(int& argc, char** argv);

// Destroys every window that is left and disconnects.
void ClosePlatform();

}  // namespace plat
