// The line that asks the player for a click where the game cannot hear the
// keyboard: on a Wayland desktop, while another program has the focus.
#pragma once

#include "game/base/game_windows.h"

namespace zb {

// The line's window: a plain sprite with one line of text.
extern SpriteWindow clickHintWindow;

// Shows the line now when the keys go elsewhere, and from now on hides and
// shows it each time that changes (at the yields). Never shown on X11,
// where the keys are read whatever window has the focus.
void WatchKeyboard();
// Puts the line, when shown, back in its place under the title (the screen
// may have changed) and above the windows shown since (the scenery strip).
void PlaceClickHint();

}  // namespace zb
