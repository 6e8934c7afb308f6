// The primary monitor, in logical pixels. Game coordinates are relative to
// its top-left corner.
#pragma once

#include "platform/types.h"

namespace plat {

struct ScreenInfo {
  int width = 0;    // pixels
  int height = 0;   // pixels
  Rect workArea;    // the part not covered by panels and docks, in pixels
};

// Read afresh at every call: the screen may change while the game runs.
ScreenInfo GetScreen();

// Thrown by DoEvents (outside handlers and modal windows) once the primary
// monitor's size or work area differs from what it was when WatchScreen(true)
// was called: the game in progress was laid out for another screen.
struct ScreenChanged {};

// Starts watching the screen as it is now (true), or stops (false). A change
// is thrown once; watching then stops until it is started again.
void WatchScreen(bool on);

}  // namespace plat
