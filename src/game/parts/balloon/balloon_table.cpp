// The balloon caps' outlines: four constant records in the RGNDATA word
// layout. They run far beyond the 8 x 18 and 7 x 18 caps; the windows clip
// them.
#include <initializer_list>

#include "game/parts/balloon/balloon.h"

namespace zb {

std::array<BalloonRecord, 5> BalloonTable{};
bool BalloonShapesBuilt = false;

namespace {

struct CapRect {
  std::uint32_t left, top, right, bottom;
};

void FillRecord(BalloonRecord& record, std::initializer_list<CapRect> rects, std::uint32_t boundRight) {
  auto& w = record.words;
  const auto count = static_cast<std::uint32_t>(rects.size());
  w[0] = 32;          // dwSize
  w[1] = 1;           // iType: RDH_RECTANGLES
  w[2] = count;       // nCount
  w[3] = 16 * count;  // nRgnSize
  w[4] = 0;           // rcBound
  w[5] = 0;
  w[6] = boundRight;
  w[7] = 270;
  std::size_t i = 8;
  for (const CapRect& r : rects) {
    w[i++] = r.left;
    w[i++] = r.top;
    w[i++] = r.right;
    w[i++] = r.bottom;
  }
}

}  // namespace

void BuildBalloonShapes() {
  // 0: left cap of kind 0, the tail at its lower left.
  FillRecord(BalloonTable[0],
             {{8, 0, 121, 1}, {7, 1, 121, 2}, {5, 2, 121, 3}, {3, 3, 121, 5}, {2, 5, 121, 6},
              {1, 6, 121, 11}, {2, 11, 121, 14}, {1, 14, 121, 16}, {0, 16, 5, 17}, {8, 16, 121, 17},
              {0, 17, 3, 18}, {8, 17, 121, 18}, {0, 18, 121, 270}},
             121);
  // 1: right cap of kind 0, plain.
  FillRecord(BalloonTable[1],
             {{7, 0, 106, 1}, {0, 1, 1, 2}, {7, 1, 106, 2}, {0, 2, 3, 3}, {7, 2, 106, 3},
              {0, 3, 5, 5}, {7, 3, 106, 5}, {0, 5, 6, 6}, {7, 5, 106, 6}, {0, 6, 106, 11},
              {0, 11, 6, 12}, {7, 11, 106, 12}, {0, 12, 5, 14}, {7, 12, 106, 14}, {0, 14, 3, 15},
              {7, 14, 106, 15}, {0, 15, 1, 16}, {7, 15, 106, 16}, {7, 16, 106, 18}, {0, 18, 106, 270}},
             106);
  // 2: left cap of kind 1, plain.
  FillRecord(BalloonTable[2],
             {{7, 0, 106, 1}, {6, 1, 106, 2}, {4, 2, 106, 3}, {2, 3, 106, 5}, {1, 5, 106, 6},
              {0, 6, 106, 11}, {1, 11, 106, 12}, {2, 12, 106, 14}, {4, 14, 106, 15}, {6, 15, 106, 16},
              {7, 16, 106, 18}, {0, 18, 106, 270}},
             106);
  // 3: right cap of kind 1, the tail at its lower right.
  FillRecord(BalloonTable[3],
             {{8, 0, 121, 1}, {0, 1, 1, 2}, {8, 1, 121, 2}, {0, 2, 3, 3}, {8, 2, 121, 3},
              {0, 3, 5, 5}, {8, 3, 121, 5}, {0, 5, 6, 6}, {8, 5, 121, 6}, {0, 6, 7, 11},
              {8, 6, 121, 11}, {0, 11, 6, 14}, {8, 11, 121, 14}, {0, 14, 7, 16}, {8, 14, 121, 16},
              {3, 16, 121, 17}, {5, 17, 121, 18}, {0, 18, 121, 270}},
             121);
}

}  // namespace zb
