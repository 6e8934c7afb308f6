// The screen in twips and the ship's pixel column.
#pragma once

#include <cstdint>

namespace zb {

// Height of the screen's work area in twips: the bottom edge of the primary
// monitor's work area (panels excluded) x 15.
std::int32_t ScreenHeightTwips();
// The primary monitor's whole width and height in twips; twips per pixel.
float ScreenWidthTwips();
float ScreenFullHeightTwips();
inline constexpr float TPPX = 15.0f;
inline constexpr float TPPY = 15.0f;

// The right edge of the game's field, in pixels: the boss waits beyond it
// and the ship flies out to it after a win.
inline constexpr int kFieldRightColumn = 1024;

// The ship's pixel column px: round(Ship.x) \ round(TPPX).
std::int32_t ShipColumn();

}  // namespace zb
