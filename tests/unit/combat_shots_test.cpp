// The ship's beam and the enemies' aimed shots.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "enemies/enemies.h"
#include "enemies/enemy_state.h"
#include "game/forms.h"
#include "game/frame_loop.h"
#include "game/globals.h"
#include "game/random.h"
#include "platform/keys.h"
#include "player/player.h"
#include "player/shot_state.h"
#include "support/combat_fixture.h"

namespace zb::testing {
namespace {

using CombatBeam = CombatTest;
using CombatEnemyShots = CombatTest;

const ShotRecord& Beam() { return PlayerSide.Shots[0]; }

TEST_F(CombatBeam, FiringFrameMakesTwoStepsAndTheRangeEndsAtStepNineteen) {
  sim::PressKey(plat::VK_SPACE);
  UpdateShots();
  sim::ReleaseKey(plat::VK_SPACE);
  EXPECT_EQ(Beam().X, Player.PlayerX + 16 * kTwips);
  EXPECT_EQ(Beam().Y, Player.PlayerY + 75);
  EXPECT_EQ(Beam().LimitX, Player.PlayerX + 285 + 128 * kTwips);
  auto rec = Record(ShotForms[0].hWnd());
  EXPECT_EQ(rec.rect, (plat::Rect{108, 979, 171, 980})) << "drawn 8 pixels ahead";
  EXPECT_TRUE(rec.visible);
  for (int frame = 2; frame <= 17; ++frame) UpdateShots();
  EXPECT_EQ(Beam().Active, 1);
  UpdateShots();  // frame 18, step 19
  EXPECT_EQ(Beam().Active, 0);
  EXPECT_FALSE(Record(ShotForms[0].hWnd()).visible);
}

TEST_F(CombatBeam, HeldSpaceRefiresTheFrameAfterTheBeamIsUsedUp) {
  sim::PressKey(plat::VK_SPACE);
  const auto yields = sim::Stats().yields;
  for (int frame = 1; frame <= 18; ++frame) UpdateShots();
  EXPECT_EQ(sim::Stats().yields - yields, 18u) << "one yield per frame with Space down";
  EXPECT_EQ(Beam().Active, 0);
  UpdateShots();
  EXPECT_EQ(Beam().Active, 1);
  EXPECT_EQ(Beam().X, Player.PlayerX + 16 * kTwips);
}

TEST_F(CombatBeam, ABeamFiredAtTheRightEdgeIsUsedUpAtOnce) {
  Player.PlayerX = ScreenWidthTwips();
  sim::PressKey(plat::VK_SPACE);
  UpdateShots();
  EXPECT_EQ(Beam().Active, 0);
  EXPECT_FALSE(Record(ShotForms[0].hWnd()).visible);
}

// An enemy at pixel (600, 960): its left edge must lie strictly within the
// 32 pixels ahead of the beam, the beam's row strictly inside its height.
TEST_F(CombatBeam, HitsOnlyWithinThe32PixelsAheadAndStrictlyInsideTheHeight) {
  const float ex = 600 * kTwips, ey = 960 * kTwips;
  struct Case {
    float x, y;
    int hit;
  };
  const Case cases[] = {
      {ex - 1, ey + 1, 1},   {ex, ey + 1, 0},         {ex - 480, ey + 1, 0},
      {ex - 479, ey + 1, 1}, {ex - 1, ey, 0},         {ex - 1, ey + 150, 0},
      {ex - 1, ey + 149, 1},
  };
  for (const Case& c : cases) {
    PlaceEnemy(2, 600, 960);
    EXPECT_EQ(CheckShotHit(c.x, c.y), c.hit) << c.x - ex << ", " << c.y - ey;
    EXPECT_EQ(EnemySide.Enemies[2].State, c.hit ? 2 : 1);
  }
}

TEST_F(CombatBeam, OneStepKillsEveryEnemyInReachButNoneInTheBossBattle) {
  PlaceEnemy(0, 600, 960);
  PlaceEnemy(4, 610, 955);
  Cycle.BossActive = kTrue;
  EXPECT_EQ(CheckShotHit(599 * kTwips, 961 * kTwips), 0);
  Cycle.BossActive = kFalse;
  EXPECT_EQ(CheckShotHit(599 * kTwips, 961 * kTwips), 1);
  EXPECT_EQ(EnemySide.Enemies[0].State, 2);
  EXPECT_EQ(EnemySide.Enemies[4].State, 2);
}

TEST_F(CombatEnemyShots, AimedNearTheShipAtOneOfThreeSpeeds) {
  PlaceEnemy(0, 600, 960);
  const EnemyRecord& e = EnemySide.Enemies[0];
  std::set<long> speeds;
  for (int n = 0; n < 60; ++n) {
    EnemySide.EnemyShots[0].Active = 0;
    std::int16_t slot = 0;
    FireEnemyShot(slot);
    const EnemyShotRecord& s = EnemySide.EnemyShots[0];
    ASSERT_EQ(s.Active, 1);
    EXPECT_EQ(s.X, e.X - kTwips);
    EXPECT_EQ(s.Y, e.Y + 75);
    speeds.insert(std::lround(std::hypot(s.VX, s.VY)));
    // The flight line passes through the scatter box around (PlayerX + 32,
    // PlayerY + 32): its slope lies between the slopes to the box's corners.
    const double slope = s.VY / s.VX;
    const double top = (Player.PlayerY + 3 - s.Y), bottom = (Player.PlayerY + 92 - s.Y);
    const double nearX = Player.PlayerX + 92 - s.X, farX = Player.PlayerX + 3 - s.X;
    EXPECT_LT(s.VX, 0);
    EXPECT_GE(slope, std::min({top / nearX, top / farX, bottom / nearX, bottom / farX}) - 1e-6);
    EXPECT_LE(slope, std::max({top / nearX, top / farX, bottom / nearX, bottom / farX}) + 1e-6);
  }
  EXPECT_EQ(speeds, (std::set<long>{30, 37, 45}));
}

TEST_F(CombatEnemyShots, AFullPoolFiresNothing) {
  PlaceEnemy(0, 600, 960);
  for (auto& s : EnemySide.EnemyShots) s = {1, 1, 0, 0, 1};
  std::int16_t slot = 0;
  FireEnemyShot(slot);
  for (const auto& s : EnemySide.EnemyShots) EXPECT_EQ(s.X, 1);
}

TEST_F(CombatEnemyShots, DrawnAsTwoByTwoSquaresAndFreedWhenOut) {
  auto& shots = EnemySide.EnemyShots;
  shots[0] = {3000, 1500, -30, 15, 1};
  shots[1] = {1500 - 480 + 10, 1500, -30, 0, 1};  // will be more than 32 px behind
  shots[2] = {ScreenWidthTwips() - 10, 1500, 30, 0, 1};
  shots[3] = {3000, 10, 0, -15, 1};
  shots[4] = {3000, static_cast<float>(ScreenHeightTwips()) - 10, 0, 15, 1};
  MoveEnemyShots();
  EXPECT_EQ(shots[0].Active, 1);
  for (int s = 1; s <= 4; ++s) EXPECT_EQ(shots[s].Active, 0) << s;
  auto rec = Record(frmEShot.hWnd());
  EXPECT_TRUE(rec.visible);
  ASSERT_TRUE(rec.outline.has_value());
  EXPECT_EQ(rec.outline->Rects(), (std::vector<plat::Rect>{{198, 101, 200, 103}}));

  shots[0].X = -100;
  MoveEnemyShots();
  rec = Record(frmEShot.hWnd());
  EXPECT_FALSE(rec.visible);
  EXPECT_EQ(rec.outline->Rects(), (std::vector<plat::Rect>{{198, 101, 200, 103}}));
}

// Only the top-left pixel of a shot's square counts against the ship.
TEST_F(CombatEnemyShots, OnlyTheTopLeftPixelHitsTheShip) {
  const plat::Rect first = ShipRects().front();
  ASSERT_FALSE(ShipContains(first.left - 1, first.top - 1));
  const float sx = Player.PlayerX + (first.left - 1) * kTwips;
  const float sy = Player.PlayerY + (first.top - 1) * kTwips;
  EXPECT_FALSE(ShotHitsPlayer(sx, sy)) << "the square's other pixels overlap";
  EXPECT_EQ(Player.PlayerHit, kFalse);
  EXPECT_TRUE(ShotHitsPlayer(sx + kTwips, sy + kTwips));
  EXPECT_EQ(Player.PlayerHit, kTrue);
  EXPECT_FALSE(ShotHitsPlayer(sx + kTwips, sy + kTwips)) << "already hit";
}

TEST_F(CombatEnemyShots, AShotEndingOnTheShipIsFreedAndNotDrawn) {
  const plat::Rect first = ShipRects().front();
  EnemySide.EnemyShots[0] = {Player.PlayerX + (first.left + 2) * kTwips,
                             Player.PlayerY + first.top * kTwips, -30, 0, 1};
  MoveEnemyShots();
  EXPECT_EQ(EnemySide.EnemyShots[0].Active, 0);
  EXPECT_EQ(Player.PlayerHit, kTrue);
  EXPECT_FALSE(Record(frmEShot.hWnd()).visible);
}

}  // namespace
}  // namespace zb::testing
