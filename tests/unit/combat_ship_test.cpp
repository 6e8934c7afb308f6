// The ship: collisions, lives and lamps, invincibility and the destruction.
#include <gtest/gtest.h>

#include "enemies/enemy_state.h"
#include "game/forms.h"
#include "game/frame_loop.h"
#include "game/globals.h"
#include "player/player.h"
#include "player/shot_state.h"
#include "shapes/pictures.h"
#include "support/combat_fixture.h"

namespace zb::testing {
namespace {

using CombatShip = CombatTest;

plat::Color Lamp(int i) { return Record(frmShe.Label1[i].hWnd()).backColor; }
const plat::Picture* ShipPicture() { return Record(frmPlayer.hWnd()).picture; }

TEST_F(CombatShip, RammingCountsOnlyAnOverlapOfSeveralRectangles) {
  const auto simple = FindOverlap(10, 12, plat::RegionKind::kSimple);
  const auto complex = FindOverlap(10, 12, plat::RegionKind::kComplex);
  ASSERT_TRUE(simple && complex);
  PlaceEnemy(3, 100 + simple->dx, 974 + simple->dy);
  const auto yields = sim::Stats().yields;
  EXPECT_EQ(CheckShipHitsEnemy(), 0);
  EXPECT_EQ(sim::Stats().yields - yields, 6u) << "one yield per slot";
  EXPECT_EQ(EnemySide.Enemies[3].State, 1);
  EXPECT_EQ(Player.PlayerHit, kFalse);

  PlaceEnemy(3, 100 + complex->dx, 974 + complex->dy);
  EXPECT_EQ(CheckShipHitsEnemy(), 1);
  EXPECT_EQ(EnemySide.Enemies[3].State, 2);
  EXPECT_EQ(Player.PlayerHit, kTrue);
}

TEST_F(CombatShip, AShipAlreadyHitRamsNothing) {
  const auto complex = FindOverlap(10, 12, plat::RegionKind::kComplex);
  ASSERT_TRUE(complex);
  PlaceEnemy(0, 100 + complex->dx, 974 + complex->dy);
  Player.PlayerHit = kTrue;
  EXPECT_EQ(CheckShipHitsEnemy(), 0);
  EXPECT_EQ(EnemySide.Enemies[0].State, 1);
}

TEST_F(CombatShip, TheSceneryHitsWithTheOutlineOfTheStageOrTheBattle) {
  for (const int shape : {6, 7}) {
    Cycle.BossActive = shape == 7 ? kTrue : kFalse;
    const int bgTop = static_cast<int>(frmBG.Top()) / kTwips;
    for (const auto kind : {plat::RegionKind::kSimple, plat::RegionKind::kComplex}) {
      const auto at = FindOverlap(shape, 10, kind);
      ASSERT_TRUE(at) << shape;
      Player.PlayerHit = kFalse;
      Player.PlayerX = static_cast<float>(at->dx * kTwips);
      Player.PlayerY = static_cast<float>((bgTop + at->dy) * kTwips);
      const int hit = kind == plat::RegionKind::kComplex;
      EXPECT_EQ(CheckShipHitsScenery(), hit) << shape;
      EXPECT_EQ(Player.PlayerHit, hit ? kTrue : kFalse);
    }
  }
}

TEST_F(CombatShip, LostLivesDarkenTheLampsAndInvincibilityForgives) {
  Player.PlayerHit = kTrue;
  HandleShipHit();
  EXPECT_EQ(Player.PlayerLives, 2);
  EXPECT_EQ(Player.PlayerHit, kFalse);
  EXPECT_EQ(Cycle.PlayerInvincible, kTrue);
  EXPECT_EQ(ShipPicture(), ShapePicture(11));
  EXPECT_EQ(Lamp(1), kBlack);
  EXPECT_EQ(Lamp(0), kGreen);
  EXPECT_TRUE(frmPlayer.Timer1.Enabled());

  Player.PlayerHit = kTrue;
  HandleShipHit();
  EXPECT_EQ(Player.PlayerLives, 2) << "forgiven while invincible";
  EXPECT_EQ(Player.PlayerHit, kFalse);

  Wait(1000);
  EXPECT_EQ(Cycle.PlayerInvincible, kFalse);
  EXPECT_EQ(ShipPicture(), ShapePicture(10));
  Player.PlayerHit = kTrue;
  HandleShipHit();
  EXPECT_EQ(Player.PlayerLives, 1);
  EXPECT_EQ(Lamp(0), kBlack);
}

TEST_F(CombatShip, TheLastLifeEndsInTwentyOneDestructionFrames) {
  Player.PlayerLives = 1;
  Player.PlayerHit = kTrue;
  const plat::Rect before = Record(frmPlayer.hWnd()).rect;
  const float x0 = Player.PlayerX;
  for (int frame = 1; frame <= 21; ++frame) {
    ASSERT_NE(Player.PlayerDeadFrames, 999) << frame;
    HandleShipHit();
    if (frame < 21) {
      EXPECT_EQ(ShipPicture(), ShapePicture(frame % 3 == 2 ? 14 : 13)) << frame;
      EXPECT_EQ(Player.PlayerHit, kTrue);
    }
    EXPECT_EQ(Player.PlayerX, x0 - 30 * frame);
  }
  EXPECT_EQ(Player.PlayerDeadFrames, 999);
  EXPECT_EQ(Player.PlayerHit, kFalse);
  EXPECT_FALSE(Player.PlayerRegion.has_value());
  EXPECT_EQ(PlayerSide.BlastPhase, 0);
  const plat::Rect after = Record(frmPlayer.hWnd()).rect;
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.Width(), 12) << "the blast outline";
}

TEST_F(CombatShip, InvincibilityDuringTheDestructionFreezesIt) {
  Player.PlayerLives = 1;
  Player.PlayerHit = kTrue;
  for (int frame = 0; frame < 4; ++frame) HandleShipHit();
  EXPECT_EQ(PlayerSide.BlastPhase, 1);
  const float x = Player.PlayerX;
  Cycle.PlayerInvincible = kTrue;
  HandleShipHit();
  EXPECT_EQ(Player.PlayerHit, kFalse);
  EXPECT_EQ(PlayerSide.BlastPhase, 1);
  EXPECT_EQ(Player.PlayerX, x);
  EXPECT_EQ(ShipPicture(), ShapePicture(13)) << "keeps its blast picture";

  Cycle.PlayerInvincible = kFalse;
  Player.PlayerHit = kTrue;
  HandleShipHit();
  EXPECT_EQ(PlayerSide.BlastPhase, 2);
  EXPECT_EQ(Player.PlayerDeadFrames, 1);
  EXPECT_EQ(Player.PlayerHit, kTrue);
}

}  // namespace
}  // namespace zb::testing
