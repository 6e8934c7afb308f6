// The player's side: the ship's collisions, lives and destruction, its
// beam, and the bursts.
#include <gtest/gtest.h>

#include <set>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/parts/beam/beam.h"
#include "game/parts/bursts/bursts.h"
#include "game/parts/lamps/lamps.h"
#include "game/parts/ship/ship.h"
#include "game/parts/ship/ship_window.h"
#include "platform/keys.h"
#include "support/combat_fixture.h"

namespace zb::testing {
namespace {

using CombatPlayer = CombatTest;
const BeamRecord& Beam() { return Beams.shots[0]; }

plat::Color Lamp(int i) { return Record(lampsWindow.lamps[i].Id()).backColor; }
const plat::Picture* ShipPicture() { return Record(shipWindow.Id()).picture; }
void Hit() {
  Ship.hit = true;
  HandleShipHit();
}

// An overlap of the outlines that is one rectangle is no collision.
TEST_F(CombatPlayer, OnlyAnOverlapOfSeveralRectanglesCollides) {
  using enum plat::RegionKind;
  for (const auto kind : {kSimple, kComplex}) {
    const auto enemy = FindOverlap(10, 12, kind);
    ASSERT_TRUE(enemy);
    Ship.x = 100 * kTwips;
    Ship.y = 974 * kTwips;
    Boss.active = false;
    PlaceEnemy(3, 100 + enemy->dx, 974 + enemy->dy);
    EXPECT_EQ(CheckShipHitsEnemy(), kind == kComplex);
    EXPECT_EQ(Enemies.slots[3].state, kind == kComplex ? 2 : 1);
    for (const int shape : {6, 7}) {  // the scenery before and in the battle
      Boss.active = shape == 7;
      const auto ship = FindOverlap(shape, 10, kind);
      ASSERT_TRUE(ship);
      Ship.x = static_cast<float>(ship->dx * kTwips);
      Ship.y = sceneryWindow.Top() + ship->dy * kTwips;
      Ship.hit = false;
      EXPECT_EQ(CheckShipHitsScenery(), kind == kComplex) << shape;
    }
  }
}

TEST_F(CombatPlayer, LostLivesDarkenTheLampsAndInvincibilityForgives) {
  Hit();
  EXPECT_EQ(Ship.lives, 2);
  EXPECT_EQ(Ship.hit, false);
  EXPECT_EQ(Ship.invincible, true);
  EXPECT_EQ(ShipPicture(), ShapePicture(11));
  EXPECT_EQ(Lamp(1), kBlack);
  EXPECT_EQ(Lamp(0), kGreen);
  Hit();
  EXPECT_EQ(Ship.lives, 2) << "forgiven while invincible";
  EXPECT_EQ(Ship.hit, false);
  Wait(kInvincibilityMs);  // the ship window's invincibility timer
  EXPECT_EQ(Ship.invincible, false);
  EXPECT_EQ(ShipPicture(), ShapePicture(10));
  Hit();
  EXPECT_EQ(Ship.lives, 1);
  EXPECT_EQ(Lamp(0), kBlack);
}

TEST_F(CombatPlayer, TheLastLifeEndsInTwentyOneDestructionFramesWithTheWindowInPlace) {
  Ship.lives = 1;
  const plat::Rect before = Record(shipWindow.Id()).rect;
  const float x0 = Ship.x;
  for (int frame = 1; frame <= 21; ++frame) {
    ASSERT_NE(Ship.blastCycles, kGameOver) << frame;
    Hit();
    if (frame < 21) EXPECT_EQ(ShipPicture(), ShapePicture(frame % 3 == 2 ? 14 : 13)) << frame;
    EXPECT_EQ(Ship.x, x0 - 30 * frame);
  }
  EXPECT_EQ(Ship.blastCycles, kGameOver);
  EXPECT_EQ(Ship.hit, false);
  EXPECT_FALSE(Ship.outline.has_value());
  const plat::Rect after = Record(shipWindow.Id()).rect;
  EXPECT_EQ(after, (plat::Rect{before.left, before.top, before.left + 12, before.top + 12}));
}

TEST_F(CombatPlayer, InvincibilityDuringTheDestructionFreezesIt) {
  Ship.lives = 1;
  for (int frame = 0; frame < 4; ++frame) Hit();
  const float x = Ship.x;
  Ship.invincible = true;
  Hit();
  EXPECT_EQ(Ship.hit, false);
  EXPECT_EQ(Ship.x, x);
  EXPECT_EQ(Ship.blastPhase, 1);
  Ship.invincible = false;
  Hit();
  EXPECT_EQ(Ship.blastPhase, 2) << "goes on where it stopped";
  EXPECT_EQ(Ship.blastCycles, 1);
  EXPECT_EQ(Ship.hit, true);
}

TEST_F(CombatPlayer, TheBeamStepsTwiceWhenFiredAndIsUsedUpAtItsNineteenthStep) {
  sim::PressKey(plat::VK_SPACE);  // held throughout
  const auto yields = sim::Stats().yields;
  UpdateBeam();
  EXPECT_EQ(Beam().x, Ship.x + 16 * kTwips);
  EXPECT_EQ(Beam().y, Ship.y + 75);
  auto rec = Record(beamWindows[0].Id());
  EXPECT_TRUE(rec.visible);
  EXPECT_EQ(rec.rect, (plat::Rect{108, 979, 171, 980})) << "drawn 8 pixels ahead";
  for (int frame = 2; frame <= 17; ++frame) UpdateBeam();
  EXPECT_EQ(Beam().active, 1);
  UpdateBeam();
  EXPECT_EQ(Beam().active, 0);
  EXPECT_FALSE(Record(beamWindows[0].Id()).visible);
  EXPECT_EQ(sim::Stats().yields - yields, 18u) << "one yield per frame with Space down";
  UpdateBeam();
  EXPECT_EQ(Beam().active, 1) << "refired the next frame";
  Ship.x = ScreenWidthTwips();
  Beams.shots[0].active = 0;
  UpdateBeam();
  EXPECT_EQ(Beam().active, 0) << "fired at the right edge: used up at once";
}

// An enemy at pixel (600, 960): its left edge must lie strictly within the
// 32 pixels ahead of the beam, the beam's row strictly inside its height.
TEST_F(CombatPlayer, TheBeamHitsWithinThe32PixelsAheadAndStrictlyInsideTheHeight) {
  const float ex = 600 * kTwips, ey = 960 * kTwips;
  const struct {
    float x, y;
    int hit;
  } cases[] = {{ex - 1, ey + 1, 1},   {ex, ey + 1, 0},     {ex - 480, ey + 1, 0},
               {ex - 479, ey + 1, 1}, {ex - 1, ey, 0},     {ex - 1, ey + 150, 0},
               {ex - 1, ey + 149, 1}};
  for (const auto& c : cases) {
    PlaceEnemy(2, 600, 960);
    EXPECT_EQ(CheckBeamHit(c.x, c.y), c.hit) << c.x - ex << ", " << c.y - ey;
    EXPECT_EQ(Enemies.slots[2].state, c.hit ? 2 : 1);
  }
}

ParticleRecord& P(int slot) { return Bursts.particles[slot]; }

// A particle at rest at (x, y) twips that burns `decay` per frame.
void Hover(int slot, double x, double y, int decay = 4) {
  P(slot) = {.originX = x, .originY = y, .active = true, .life = 255, .decay = decay};
}

TEST_F(CombatPlayer, SpraysArmTheirSlotsWithDrawsOfTheirOwn) {
  StartBurst(9000, 14000, 0);
  std::set<double> speeds;
  for (int slot = 0; slot < 21; ++slot) {
    ASSERT_EQ(P(slot).active, slot >= 1 && slot <= 18) << slot;
    if (!P(slot).active) continue;
    EXPECT_LE(std::abs(P(slot).angle - (100 + 9 * (slot - 1))), 30) << slot;
    EXPECT_TRUE(P(slot).speed >= 75 && P(slot).speed < 285);
    EXPECT_TRUE(P(slot).decay >= 4 && P(slot).decay <= 11);
    speeds.insert(P(slot).speed);
  }
  EXPECT_GE(speeds.size(), 16u) << "one burst's particles are not alike";
  for (auto& p : Bursts.particles) p.active = false;
  StartBurst(9000, 14000, 1);
  for (int slot = 1; slot <= 16; ++slot) {
    EXPECT_LE(std::abs(P(slot).angle - (240 + 2 * (slot - 1))), 30) << slot;
    EXPECT_TRUE(P(slot).originY == 14000 || P(slot).originY == 13990);
  }
  EXPECT_EQ(P(17).active, false);
}

TEST_F(CombatPlayer, AParticleLivesFloorOf255OverItsDecayFrames) {
  for (const int decay : {4, 11}) {
    Hover(5, 4500, 4500, decay);
    int frames = 0;
    while (AdvanceBurst()) ++frames;
    EXPECT_EQ(frames, 255 / decay);
    EXPECT_FALSE(Record(particlesWindow.Id()).visible);
  }
}

TEST_F(CombatPlayer, TheTopAndLeftEdgesAreOnTheScreenAndBeyondIsOff) {
  Hover(1, 0, 0);
  Hover(2, -0.001, 100);
  Hover(3, 100, -0.001);
  Hover(19, ScreenWidthTwips() + 1, 100);
  Hover(20, 100, 100);
  EXPECT_TRUE(AdvanceBurst());
  EXPECT_EQ(P(1).active, true);
  EXPECT_EQ(P(2).active | P(3).active | P(19).active, false);
  EXPECT_EQ(P(20).t, 0) << "slot 20 is never updated";
}

TEST_F(CombatPlayer, ParticlesAreTwoByTwoSquaresThatHitEvenAnInvincibleShip) {
  Ship.invincible = true;
  const plat::Rect top = CreateShapeRegion(10).Rects().front();
  Hover(0, 150, 300);
  Hover(19, Ship.x + top.left * kTwips, Ship.y + top.top * kTwips);
  EXPECT_TRUE(AdvanceBurst());
  EXPECT_EQ(Ship.hit, true);
  const auto rec = Record(particlesWindow.Id());
  EXPECT_TRUE(rec.visible);
  const int sx = 100 + top.left, sy = 974 + top.top;
  EXPECT_EQ(*rec.outline,
            plat::Region::FromRects(std::vector<plat::Rect>{{10, 20, 12, 22}, {sx, sy, sx + 2, sy + 2}}));
}

}  // namespace
}  // namespace zb::testing
