// The speech balloon: three windows (balloonLeft, balloonCentre,
// balloonRight) joined into one outline.
#pragma once

#include <string>

#include "game/base/window_model.h"
#include "game/parts/balloon/balloon_table.h"

namespace zb {

enum BalloonKind : int { TailLeft = 0, TailRight = 1 };

// Cuts a cap window to record `record` of the balloon table; fatal when the
// record makes no outline or the window cannot be cut.
void CutWindowToBalloonShape(int record, WindowOps& window);
// Shows the balloon and returns at once, leaving the windows open. Anchor in
// twips.
void ShowBalloon(const std::string& text, float anchorX, float anchorY, int kind,
                 int closeLabelFlag, const std::string& closeLabelCaption);
// Unloads balloonLeft, balloonCentre and balloonRight, in that order.
void CloseBalloon();
// A line of the ship's, its tail at the ship's nose.
void ShipSays(const char* text);

}  // namespace zb
