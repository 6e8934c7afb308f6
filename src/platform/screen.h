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

}  // namespace plat
