// The desktop's work area as the window manager publishes it
// (_NET_WORKAREA): one rectangle over all monitors, in device pixels of the
// X screen, read at the start and again whenever it changes.
//
// Qt applies it to the screen when there is one monitor and leaves it out
// when there are several; the primary monitor's share of it is still where
// the panels are not, so GetScreen applies it itself.
#pragma once

#include <optional>

#include "platform/types.h"

namespace plat::qt {

void StartWorkAreaWatch();
void StopWorkAreaWatch();

// nullopt when no window manager publishes one.
std::optional<Rect> DesktopWorkArea();

}  // namespace plat::qt
