// The screen in twips and the ship's pixel column.
#pragma once

#include <cstdint>

namespace zb {

// Height of the screen's work area in twips: the bottom edge of the primary
// monitor's work area (panels excluded) x 15.
std::int32_t ScreenHeightTwips();
// Screen.Width, Screen.Height in twips; twips per pixel.
float ScreenWidthTwips();
float ScreenFullHeightTwips();
inline constexpr float TPPX = 15.0f;
inline constexpr float TPPY = 15.0f;

// The ship's pixel column px: round(Ship.x) \ round(TPPX).
std::int32_t PlayerColumn();

}  // namespace zb
