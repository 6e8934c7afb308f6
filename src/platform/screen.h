// Where the game plays: the primary monitor's work area (panels and docks
// left out), in logical pixels. Game coordinates start at the work area's
// left edge and the monitor's top edge.
#pragma once

#include "platform/types.h"

namespace plat {

struct ScreenInfo {
  int width = 0;    // pixels: the work area's width
  int height = 0;   // pixels: the monitor's height
  Rect workArea;    // the work area, in game pixels (its left is 0)
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
