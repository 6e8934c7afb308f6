// The keyboard on a Wayland desktop, where the program runs through
// XWayland: it hears keys only while the compositor has focused one of its
// windows, and no compositor focuses an override-redirect sprite. A left
// click on a sprite maps a window of the program's that compositors do
// focus (wayland_focus.cpp); on plain X11 none of this is used.
#pragma once

#include <functional>

namespace plat::qt {

// Looks whether the X server is XWayland; after the Qt application exists.
void StartWaylandFocus();
void StopWaylandFocus();

// The left button went down on a sprite window or one of its controls: the
// compositor is asked to give the program the keyboard. Does nothing on
// plain X11.
void TakeKeyboardOnClick();

// Whether a sprite may take the X server's focus itself (SetFocus): not
// through XWayland, where mutter then hands XWayland the keyboard behind
// the player's terminal, the game still deaf to it, and a later click on a
// sprite leaves the keys nowhere; the other compositors undo it.
bool SpritesMayTakeFocus();

// KeyboardHeard: true on plain X11; on XWayland while a window of the
// program's other than a sprite has the focus (the one a click mapped, a
// dialog).
bool KeyboardReachesProgram();
void SetKeyboardReachHandler(std::function<void()> handler);

}  // namespace plat::qt
