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

}  // namespace plat
