// Spares Qt a round trip per move of a sprite window.
//
// Qt does not trust the position in a configure notification of a top-level
// window (a window manager may have reparented it) and asks the server for
// it, one round trip per notification, ten per frame in a busy stage. Sprite
// windows are override-redirect children of the root: their notifications
// are exact, and marking them as sent makes Qt take them as they are.
#pragma once

namespace plat::qt {

void StartConfigureFilter();
void StopConfigureFilter();

}  // namespace plat::qt
