// The player's side: the ship's collisions, lives and destruction, its
// beam, and the bursts.
#include <gtest/gtest.h>

#include <set>

#include "game/base/enemy_state.h"
#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/shot_state.h"
#include "game/base/state.h"
#include "game/parts/beam/beam.h"
#include "game/parts/bursts/bursts.h"
#include "game/parts/ship/ship.h"
#include "platform/keys.h"
#include "support/combat_fixture.h"

namespace zb::testing {
namespace {

using CombatPlayer = CombatTest;
const ShotRecord& Beam() { return PlayerSide.Shots[0]; }

plat::Color Lamp(int i) { return Record(lampsWindow.lamps[i].Id()).backColor; }
const plat::Picture* ShipPicture() { return Record(shipWindow.Id()).picture; }
void Hit() {
  Player.PlayerHit = kTrue;
  HandleShipHit();
}

// An overlap of the outlines that is one rectangle is no collision.
TEST_F(CombatPlayer, OnlyAnOverlapOfSeveralRectanglesCollides) {
  using enum plat::RegionKind;
  for (const auto kind : {kSimple, kComplex}) {
    const auto enemy = FindOverlap(10, 12, kind);
    ASSERT_TRUE(enemy);
    Player.PlayerX = 100 * kTwips;
    Player.PlayerY = 974 * kTwips;
    Cycle.BossActive = kFalse;
    PlaceEnemy(3, 100 + enemy->dx, 974 + enemy->dy);
    EXPECT_EQ(CheckShipHitsEnemy(), kind == kComplex);
    EXPECT_EQ(EnemySide.Enemies[3].State, kind == kComplex ? 2 : 1);
    for (const int shape : {6, 7}) {  // the scenery before and in the battle
      Cycle.BossActive = shape == 7 ? kTrue : kFalse;
      const auto ship = FindOverlap(shape, 10, kind);
      ASSERT_TRUE(ship);
      Player.PlayerX = static_cast<float>(ship->dx * kTwips);
      Player.PlayerY = sceneryWindow.Top() + ship->dy * kTwips;
      Player.PlayerHit = kFalse;
      EXPECT_EQ(CheckShipHitsScenery(), kind == kComplex) << shape;
    }
  }
}

TEST_F(CombatPlayer, LostLivesDarkenTheLampsAndInvincibilityForgives) {
  Hit();
  EXPECT_EQ(Player.PlayerLives, 2);
  EXPECT_EQ(Player.PlayerHit, kFalse);
  EXPECT_EQ(Cycle.PlayerInvincible, kTrue);
  EXPECT_EQ(ShipPicture(), ShapePicture(11));
  EXPECT_EQ(Lamp(1), kBlack);
  EXPECT_EQ(Lamp(0), kGreen);
  Hit();
  EXPECT_EQ(Player.PlayerLives, 2) << "forgiven while invincible";
  EXPECT_EQ(Player.PlayerHit, kFalse);
  Wait(1000);  // the ship window's invincibility timer
  EXPECT_EQ(Cycle.PlayerInvincible, kFalse);
  EXPECT_EQ(ShipPicture(), ShapePicture(10));
  Hit();
  EXPECT_EQ(Player.PlayerLives, 1);
  EXPECT_EQ(Lamp(0), kBlack);
}

TEST_F(CombatPlayer, TheLastLifeEndsInTwentyOneDestructionFramesWithTheWindowInPlace) {
  Player.PlayerLives = 1;
  const plat::Rect before = Record(shipWindow.Id()).rect;
  const float x0 = Player.PlayerX;
  for (int frame = 1; frame <= 21; ++frame) {
    ASSERT_NE(Player.PlayerDeadFrames, 999) << frame;
    Hit();
    if (frame < 21) EXPECT_EQ(ShipPicture(), ShapePicture(frame % 3 == 2 ? 14 : 13)) << frame;
    EXPECT_EQ(Player.PlayerX, x0 - 30 * frame);
  }
  EXPECT_EQ(Player.PlayerDeadFrames, 999);
  EXPECT_EQ(Player.PlayerHit, kFalse);
  EXPECT_FALSE(Player.PlayerRegion.has_value());
  const plat::Rect after = Record(shipWindow.Id()).rect;
  EXPECT_EQ(after, (plat::Rect{before.left, before.top, before.left + 12, before.top + 12}));
}

TEST_F(CombatPlayer, InvincibilityDuringTheDestructionFreezesIt) {
  Player.PlayerLives = 1;
  for (int frame = 0; frame < 4; ++frame) Hit();
  const float x = Player.PlayerX;
  Cycle.PlayerInvincible = kTrue;
  Hit();
  EXPECT_EQ(Player.PlayerHit, kFalse);
  EXPECT_EQ(Player.PlayerX, x);
  EXPECT_EQ(PlayerSide.BlastPhase, 1);
  Cycle.PlayerInvincible = kFalse;
  Hit();
  EXPECT_EQ(PlayerSide.BlastPhase, 2) << "goes on where it stopped";
  EXPECT_EQ(Player.PlayerDeadFrames, 1);
  EXPECT_EQ(Player.PlayerHit, kTrue);
}

TEST_F(CombatPlayer, TheBeamStepsTwiceWhenFiredAndIsUsedUpAtItsNineteenthStep) {
  sim::PressKey(plat::VK_SPACE);  // held throughout
  const auto yields = sim::Stats().yields;
  UpdateShots();
  EXPECT_EQ(Beam().X, Player.PlayerX + 16 * kTwips);
  EXPECT_EQ(Beam().Y, Player.PlayerY + 75);
  auto rec = Record(beamWindows[0].Id());
  EXPECT_TRUE(rec.visible);
  EXPECT_EQ(rec.rect, (plat::Rect{108, 979, 171, 980})) << "drawn 8 pixels ahead";
  for (int frame = 2; frame <= 17; ++frame) UpdateShots();
  EXPECT_EQ(Beam().Active, 1);
  UpdateShots();
  EXPECT_EQ(Beam().Active, 0);
  EXPECT_FALSE(Record(beamWindows[0].Id()).visible);
  EXPECT_EQ(sim::Stats().yields - yields, 18u) << "one yield per frame with Space down";
  UpdateShots();
  EXPECT_EQ(Beam().Active, 1) << "refired the next frame";
  Player.PlayerX = ScreenWidthTwips();
  PlayerSide.Shots[0].Active = 0;
  UpdateShots();
  EXPECT_EQ(Beam().Active, 0) << "fired at the right edge: used up at once";
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
    EXPECT_EQ(CheckShotHit(c.x, c.y), c.hit) << c.x - ex << ", " << c.y - ey;
    EXPECT_EQ(EnemySide.Enemies[2].State, c.hit ? 2 : 1);
  }
}

ParticleRecord& P(int slot) { return PlayerSide.Particles[slot]; }

// A particle at rest at (x, y) twips that burns `decay` per frame.
void Hover(int slot, double x, double y, int decay = 4) {
  P(slot) = {.OriginX = x, .OriginY = y, .Active = kTrue, .Life = 255, .Decay = decay};
}

TEST_F(CombatPlayer, SpraysArmTheirSlotsWithDrawsOfTheirOwn) {
  StartBurst(9000, 14000, 0);
  std::set<double> speeds;
  for (int slot = 0; slot < 21; ++slot) {
    ASSERT_EQ(P(slot).Active, slot >= 1 && slot <= 18 ? kTrue : kFalse) << slot;
    if (P(slot).Active == kFalse) continue;
    EXPECT_LE(std::abs(P(slot).Angle - (100 + 9 * (slot - 1))), 30) << slot;
    EXPECT_TRUE(P(slot).Speed >= 75 && P(slot).Speed < 285);
    EXPECT_TRUE(P(slot).Decay >= 4 && P(slot).Decay <= 11);
    speeds.insert(P(slot).Speed);
  }
  EXPECT_GE(speeds.size(), 16u) << "one burst's particles are not alike";
  for (auto& p : PlayerSide.Particles) p.Active = kFalse;
  StartBurst(9000, 14000, 1);
  for (int slot = 1; slot <= 16; ++slot) {
    EXPECT_LE(std::abs(P(slot).Angle - (240 + 2 * (slot - 1))), 30) << slot;
    EXPECT_TRUE(P(slot).OriginY == 14000 || P(slot).OriginY == 13990);
  }
  EXPECT_EQ(P(17).Active, kFalse);
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
  EXPECT_EQ(P(1).Active, kTrue);
  EXPECT_EQ(P(2).Active | P(3).Active | P(19).Active, kFalse);
  EXPECT_EQ(P(20).T, 0) << "slot 20 is never updated";
}

TEST_F(CombatPlayer, ParticlesAreTwoByTwoSquaresThatHitEvenAnInvincibleShip) {
  Cycle.PlayerInvincible = kTrue;
  const plat::Rect top = CreateShapeRegion(10).Rects().front();
  Hover(0, 150, 300);
  Hover(19, Player.PlayerX + top.left * kTwips, Player.PlayerY + top.top * kTwips);
  EXPECT_TRUE(AdvanceBurst());
  EXPECT_EQ(Player.PlayerHit, kTrue);
  const auto rec = Record(particlesWindow.Id());
  EXPECT_TRUE(rec.visible);
  const int sx = 100 + top.left, sy = 974 + top.top;
  EXPECT_EQ(*rec.outline,
            plat::Region::FromRects(std::vector<plat::Rect>{{10, 20, 12, 22}, {sx, sy, sx + 2, sy + 2}}));
}

}  // namespace
}  // namespace zb::testing
