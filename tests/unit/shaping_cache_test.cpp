// Outlines are made from the shape records once and kept: what the game gets
// still follows the records, and asking for more outlines leaves no more
// regions alive.
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/sim/sim.h"
#include "game/base/shape_table.h"
#include "game/base/shaping.h"

namespace zb {
namespace {

class KeptOutlines : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Reset();
    BuildShapeTable();
  }
  void TearDown() override {
    BuildShapeTable();
    sim::Reset();
  }
};

TEST_F(KeptOutlines, EveryShapeAskedForLeavesTheLiveRegionsAsTheyWere) {
  CreateShapeRegion(10);
  const auto live = plat::Region::LiveCount();
  for (int round = 0; round < 3; ++round)
    for (int shape = 0; shape < 15; ++shape) CreateShapeRegion(shape);
  EXPECT_EQ(plat::Region::LiveCount(), live);
}

TEST_F(KeptOutlines, ARewrittenRecordGivesItsNewOutline) {
  const plat::Region ship = CreateShapeRegion(10);
  // Record 10 takes the single rectangle of a 3 x 2 block.
  auto& w = RegionTable[10].words;
  w[2] = 1, w[3] = 16;
  w[8] = 1, w[9] = 1, w[10] = 4, w[11] = 3;
  EXPECT_EQ(CreateShapeRegion(10), plat::Region(plat::Rect{1, 1, 4, 3}));
  w[0] = 0;  // no longer a record
  EXPECT_THROW(CreateShapeRegion(10), plat::ProgramExit);
  BuildShapeTable();
  EXPECT_EQ(CreateShapeRegion(10), ship);
}

}  // namespace
}  // namespace zb
