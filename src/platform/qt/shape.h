// Outlines and the compositor: whether the server shows a sprite window by
// its X SHAPE outline or a compositor draws it by its alpha.
#pragma once

#include <xcb/xcb.h>

namespace plat::qt {

// Watches the compositor's selection. While a compositor draws the windows
// by their alpha, a sprite made then is 32-bit and transparent outside its
// outline; when compositing ends, every such sprite is cut to its outline,
// as on a desktop without one, and no box of it shows black; when it comes
// back, the compositor draws them by their alpha again.
void StartCompositorWatch();
void StopCompositorWatch();
// From the X event dispatch: an XFixes event that may tell of a new owner
// of the compositor's selection (Qt hears it too).
void OnSelectionOwner(const xcb_generic_event_t* ev);

}  // namespace plat::qt
