// The balloon caps' outlines, in the RGNDATA word layout of the shape table.
#pragma once

#include <array>
#include <cstdint>

namespace zb {

inline constexpr int kBalloonRecordWords = 108;  // 8 header words + 25 rectangles

struct BalloonRecord {
  std::array<std::uint32_t, kBalloonRecordWords> words{};
};

// Records 0..3 are the caps; record 4 stays zero.
extern std::array<BalloonRecord, 5> BalloonTable;
// The table has been written since the program started (or was reset).
extern bool BalloonShapesBuilt;

// Writes records 0..3; calling it again rewrites the same values.
void BuildBalloonShapes();

}  // namespace zb
