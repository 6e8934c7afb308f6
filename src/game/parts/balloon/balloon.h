// The speech balloon: three windows balloonLeft, balloonCentre, balloonRight joined into one outline.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "game/base/state.h"
#include "game/base/window_model.h"

namespace zb {

inline constexpr int kBalloonRecordWords = 108;  // 8 header words + 25 rectangles

struct BalloonRecord {
  std::array<std::uint32_t, kBalloonRecordWords> words{};
};

// Records 0..3 are the caps; record 4 stays zero.
extern std::array<BalloonRecord, 5> BalloonTable;
extern bool BalloonShapesBuilt;

enum BalloonKind : int { TailLeft = 0, TailRight = 1 };

void BuildBalloonShapes();
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
