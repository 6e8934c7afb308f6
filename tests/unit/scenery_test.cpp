// The scenery strip as a level: the ship can fly it from its start to the
// boss, the vents sit on the floor, and the closed cave of the boss fight
// still lets the ship's beam reach the boss's core.
#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <deque>

#include "game/base/shape_table.h"
#include "game/parts/boss/boss.h"
#include "game/parts/scenery/scenery.h"
#include "support/outline_records.h"

namespace zb {
namespace {

using test::PixelMask;
using test::RecordRects;

constexpr int kStripW = 1024, kStripH = 99;
constexpr int kTopMin = 10;                  // the ship may rise to 10 pixels below the strip's top
constexpr int kTopMax = kStripH - 10;        // ... and sink until it rests on the strip's bottom
constexpr int kStartCol = 36, kStartTop = 49;

using Column = std::bitset<128>;  // bit y: row y is rock (or ship)

// Where the ship's outline (shape 10) fits without touching the scenery.
class ShipRoom {
 public:
  explicit ShipRoom(int sceneryShape) : scenery_(kStripW, kStripH, RecordRects(RegionTable[sceneryShape].words)) {
    const PixelMask ship(19, 10, RecordRects(RegionTable[10].words));
    std::vector<Column> shipCols(19), rock(kStripW + 19);
    for (int x = 0; x < 19; ++x)
      for (int y = 0; y < 10; ++y) shipCols[x][y] = ship.At(x, y);
    for (int x = 0; x < kStripW; ++x)
      for (int y = 0; y < kStripH; ++y) rock[x][y] = scenery_.At(x, y);
    free_.resize(kStripW);
    for (int col = 0; col < kStripW; ++col)
      for (int top = kTopMin; top <= kTopMax; ++top) {
        bool fits = true;
        for (int x = 0; x < 19 && fits; ++x) fits = ((shipCols[x] << top) & rock[col + x]).none();
        free_[col][top] = fits;
      }
  }

  bool Free(int col, int top) const { return col >= 0 && col < kStripW && top >= 0 && top < 128 && free_[col][top]; }
  const PixelMask& Scenery() const { return scenery_; }

 private:
  PixelMask scenery_;
  std::vector<Column> free_;  // per column: the tops at which the ship fits
};

using Tops = std::bitset<kStripH>;

// Flies the ship from its start, each frame half a pixel or a whole pixel to
// the right and at most one pixel up or down; a window at a half pixel sits
// on the next whole one. Returns the reachable tops per column (the union of
// both half-pixel positions).
std::vector<Tops> FlyRight(const ShipRoom& room, int lastCol) {
  const int lastHalf = 2 * lastCol;
  std::vector<Tops> byHalf(static_cast<std::size_t>(lastHalf + 3));
  std::vector<Tops> byCol(static_cast<std::size_t>(lastCol + 2));
  byHalf[2 * kStartCol].set(kStartTop);
  for (int h = 2 * kStartCol; h <= lastHalf; ++h)
    for (int top = kTopMin; top <= kTopMax; ++top) {
      if (!byHalf[h][top]) continue;
      byCol[(h + 1) / 2].set(top);
      for (int dh : {1, 2})
        for (int dt : {-1, 0, 1})
          if (room.Free((h + dh + 1) / 2, top + dt)) byHalf[h + dh].set(top + dt);
    }
  return byCol;
}

int FurthestColumn(const std::vector<Tops>& byCol) {
  int furthest = 0;
  for (int col = 0; col < static_cast<int>(byCol.size()); ++col)
    if (byCol[col].any()) furthest = col;
  return furthest;
}

TEST(Scenery, TheShipCanFlyFromItsStartToTheBoss) {
  BuildShapeTable();
  const ShipRoom cave(6);
  ASSERT_TRUE(cave.Free(kStartCol, kStartTop));
  EXPECT_GT(FurthestColumn(FlyRight(cave, kBossTriggerColumn + 1)), kBossTriggerColumn) << "the way to the boss is blocked";
}

TEST(Scenery, VentsOpenAboveTheFloorWhereTheBurstsStart) {
  BuildShapeTable();
  const ShipRoom cave(6);
  for (int vent : kVentColumns) {
    EXPECT_FALSE(cave.Scenery().At(vent, 83)) << "vent " << vent << " starts inside the rock";
    bool floorBelow = false;
    for (int x = vent - 4; x <= vent + 4; ++x)
      for (int y = 84; y <= 92; ++y) floorBelow |= cave.Scenery().At(x, y);
    EXPECT_TRUE(floorBelow) << "vent " << vent << " floats";
  }
}

TEST(Scenery, EnemiesFlyThroughAMostlyOpenBand) {
  BuildShapeTable();
  const ShipRoom cave(6);
  int open = 0, all = 0;
  for (int x = 52; x < kStripW; ++x)
    for (int y = 16; y <= 83; ++y, ++all) open += !cave.Scenery().At(x, y);
  EXPECT_GT(open, all * 8 / 10);
}

TEST(Scenery, TheBossCaveIsClosedBehindTheShipAndOpenForTheFight) {
  BuildShapeTable();
  const ShipRoom open(6), closed(7);
  // Only the rockfall differs.
  int wallCol = -1;
  for (int x = 0; x < kStripW; ++x)
    for (int y = 0; y < kStripH; ++y) {
      const bool outsideRockfall = x < 840 || x >= 890;
      ASSERT_TRUE(closed.Scenery().At(x, y) || !open.Scenery().At(x, y)) << x << "," << y;
      ASSERT_TRUE(closed.Scenery().At(x, y) == open.Scenery().At(x, y) || !outsideRockfall) << x << "," << y;
    }
  for (int x = 840; x < 890 && wallCol < 0; ++x) {
    bool full = true;
    for (int y = kTopMin; y < kStripH; ++y) full &= closed.Scenery().At(x, y);
    if (full) wallCol = x;
  }
  EXPECT_GE(wallCol, 840) << "no wall from the ship's highest row to the bottom behind the boss's chamber";
  EXPECT_LT(FurthestColumn(FlyRight(closed, kBossTriggerColumn + 1)), 880);

  // From wherever the ship arrives, it can move freely (both ways) to the
  // heights at which its beam meets the core: tops 67..70 in front of the boss.
  const std::vector<Tops> arrival = FlyRight(open, kBossTriggerColumn + 1);
  std::vector<Tops> seen(kStripW);
  std::deque<std::pair<int, int>> todo;
  for (int top = kTopMin; top <= kTopMax; ++top)
    if (arrival[kBossTriggerColumn + 1][top] && closed.Free(kBossTriggerColumn + 1, top)) todo.push_back({kBossTriggerColumn + 1, top});
  ASSERT_FALSE(todo.empty());
  while (!todo.empty()) {
    auto [col, top] = todo.front();
    todo.pop_front();
    if (col < 0 || col >= kStripW || seen[col][top] || !closed.Free(col, top)) continue;
    seen[col].set(top);
    for (int dc : {-1, 0, 1})
      for (int dt : {-1, 0, 1}) todo.push_back({col + dc, std::clamp(top + dt, kTopMin, kTopMax)});
  }
  for (int col = 885; col <= 985; ++col)
    for (int top = 67; top <= 70; ++top) EXPECT_TRUE(seen[col][top]) << "column " << col << ", top " << top;
}

}  // namespace
}  // namespace zb
