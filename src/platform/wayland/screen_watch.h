// The screen the game plays on: the output's usable area (screen.cpp).
#pragma once

namespace plat::wl {

// Makes the surface that learns the usable area's size and waits for it.
// False when the compositor gives it none.
bool StartScreenProbe();
void StopScreenProbe();
// Throws plat::ScreenChanged once when the watched size changed.
void ThrowScreenChange();

}  // namespace plat::wl
