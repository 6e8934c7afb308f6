// Where a sprite hidden through XWayland waits, mapped, out of every
// screen's sight (windows.cpp says why it is not unmapped there).
#pragma once

namespace plat::qt {

// The X window's top-left corner, in device pixels. X coordinates are
// 16-bit: no sprite reaches back onto a screen from there.
inline constexpr int kParkedAt = -30000;

}  // namespace plat::qt
