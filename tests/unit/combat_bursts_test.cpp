// Bursts: arming the sprays, the particles' flight, life and drawing.
#include <gtest/gtest.h>

#include <set>

#include "game/forms.h"
#include "game/frame_loop.h"
#include "game/globals.h"
#include "player/player.h"
#include "player/shot_state.h"
#include "support/combat_fixture.h"

namespace zb::testing {
namespace {

using CombatBursts = CombatTest;

ParticleRecord& P(int slot) { return PlayerSide.Particles[slot]; }

// A particle at rest at (x, y) twips that burns `decay` per frame.
void Hover(int slot, double x, double y, int decay) {
  P(slot) = {};
  P(slot).Active = kTrue;
  P(slot).OriginX = x;
  P(slot).OriginY = y;
  P(slot).Life = 255;
  P(slot).Decay = decay;
}

TEST_F(CombatBursts, AScenerySprayArmsSlotsOneToEighteenWithIndependentDraws) {
  StartBurst(9000, 14000, 0);
  std::set<double> speeds;
  for (int slot = 0; slot < 21; ++slot) {
    const bool armed = slot >= 1 && slot <= 18;
    ASSERT_EQ(P(slot).Active, armed ? kTrue : kFalse) << slot;
    if (!armed) continue;
    const int direction = 100 + 9 * (slot - 1);
    EXPECT_LE(std::abs(P(slot).Angle - direction), 30) << slot;
    EXPECT_TRUE(P(slot).Speed >= 75 && P(slot).Speed < 285);
    EXPECT_TRUE(P(slot).Decay >= 4 && P(slot).Decay <= 11);
    EXPECT_EQ(P(slot).OriginX, 9000);
    EXPECT_EQ(P(slot).Life, 255);
    speeds.insert(P(slot).Speed);
  }
  EXPECT_GE(speeds.size(), 16u) << "each particle draws its own speed";
}

TEST_F(CombatBursts, ABossSprayArmsSixteenSlotsFanningLeft) {
  StartBurst(9000, 14000, 1);
  for (int slot = 1; slot <= 16; ++slot) {
    EXPECT_LE(std::abs(P(slot).Angle - (240 + 2 * (slot - 1))), 30) << slot;
    EXPECT_TRUE(P(slot).OriginY == 14000 || P(slot).OriginY == 13990);
  }
  EXPECT_EQ(P(17).Active, kFalse);
}

TEST_F(CombatBursts, AnUnknownKindArmsNothingAndArmedSlotsFlyOn) {
  StartBurst(9000, 14000, 2);
  EXPECT_FALSE(AdvanceBurst());
  EXPECT_FALSE(Record(frmDot.hWnd()).visible);
  Hover(3, 4500, 4500, 5);
  const ParticleRecord before = P(3);
  ArmParticle(3, 100, 100, 90);
  EXPECT_EQ(P(3).OriginX, before.OriginX);
  EXPECT_EQ(P(3).Decay, 5);
}

TEST_F(CombatBursts, AParticleLivesFloorOf255OverItsDecayFrames) {
  for (const int decay : {4, 11}) {
    Hover(5, 4500, 4500, decay);
    int frames = 0;
    while (AdvanceBurst()) ++frames;
    EXPECT_EQ(frames, 255 / decay);
  }
}

TEST_F(CombatBursts, TheTopAndLeftEdgesAreOnTheScreenAndBeyondIsOff) {
  Hover(1, 0, 0, 4);
  Hover(2, -0.001, 100, 4);
  Hover(3, 100, -0.001, 4);
  Hover(19, ScreenWidthTwips() + 1, 100, 4);
  Hover(20, 100, 100, 4);
  EXPECT_TRUE(AdvanceBurst());
  EXPECT_EQ(P(1).Active, kTrue);
  EXPECT_EQ(P(2).Active, kFalse);
  EXPECT_EQ(P(3).Active, kFalse);
  EXPECT_EQ(P(19).Active, kFalse);
  EXPECT_EQ(P(20).T, 0) << "slot 20 is never updated";
}

TEST_F(CombatBursts, EachParticleIsATwoByTwoSquareAndHitsTheShipWhateverItsState) {
  Cycle.PlayerInvincible = kTrue;
  const plat::Rect first = ShipRects().front();
  Hover(0, 150, 300, 4);
  Hover(19, Player.PlayerX + first.left * kTwips, Player.PlayerY + first.top * kTwips, 4);
  EXPECT_TRUE(AdvanceBurst());
  EXPECT_EQ(Player.PlayerHit, kTrue);
  const auto rec = Record(frmDot.hWnd());
  EXPECT_TRUE(rec.visible);
  const int sx = 100 + first.left, sy = 974 + first.top;
  EXPECT_EQ(*rec.outline, plat::Region::FromRects(std::vector<plat::Rect>{
                              {10, 20, 12, 22}, {sx, sy, sx + 2, sy + 2}}));
}

}  // namespace
}  // namespace zb::testing
