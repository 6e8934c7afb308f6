// The 50 ms frame loop of a stage, the ship's keys, and screen helpers.
#pragma once

#include <cstdint>

namespace zb {

// How a stage ended.
enum class StageEnd { kWin, kGameOver };

// Runs frames until the boss is defeated or the game is over.
StageEnd RunFrameLoop();

// Height of the screen's work area in twips: the bottom edge of the primary
// monitor's work area (panels excluded) x 15.
std::int32_t ScreenHeightTwips();
// Screen.Width, Screen.Height in twips; twips per pixel.
float ScreenWidthTwips();
float ScreenFullHeightTwips();
inline constexpr float TPPX = 15.0f;
inline constexpr float TPPY = 15.0f;

// The ship's pixel column px: round(PlayerX) \ round(TPPX).
std::int32_t PlayerColumn();

void WaitMs(std::int32_t ms);
int ReadDirectionKeys();
void MovePlayerByKeys();

}  // namespace zb
