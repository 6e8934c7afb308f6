// Watching the primary monitor and the work area for changes while a game
// runs (platform/screen.h, WatchScreen).
#pragma once

namespace plat::qt {

void StartScreenWatch();
void StopScreenWatch();

// Throws ScreenChanged when the watched screen has changed; called by the
// yield outside handlers and modal windows.
void ThrowScreenChange();

}  // namespace plat::qt
