// The stage set-up: the ship's record, the windows of a fresh stage, and a
// second set-up after a game.
#include <gtest/gtest.h>

#include "enemies/enemy_state.h"
#include "game/forms.h"
#include "game/frame_loop.h"
#include "game/globals.h"
#include "game/stage_setup.h"
#include "player/shot_state.h"
#include "shapes/pictures.h"
#include "shapes/shaping.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

using test::PxRect;
using test::Rec;
using test::Shown;

class StageSetUp : public test::FlowTest {};

TEST_F(StageSetUp, DefaultStartColumnIs36) {
  Cycle.StartX = 0;
  SetUpStage();
  EXPECT_EQ(Player.PlayerX, 36 * 15);
  EXPECT_EQ(Player.PlayerY, 1024 * 15 - 5 * 150);
  EXPECT_EQ(Player.PlayerMaxX, 1280 * 15);
  EXPECT_EQ(Player.PlayerMaxY, 1024 * 15);
  EXPECT_EQ(Player.PlayerMinY, 150 + 1024 * 15 - 1485);
  EXPECT_EQ(Player.PlayerStep, 7.5f);
  EXPECT_EQ(Player.PlayerHit, kFalse);
  EXPECT_EQ(Player.PlayerLives, 3);
  EXPECT_EQ(Player.PlayerDeadFrames, 0);
  EXPECT_EQ(Cycle.PlayerInvincible, kFalse);
}

TEST_F(StageSetUp, StartColumnFromTheCommandLine) {
  for (int column : {300, 913}) {
    Cycle.StartX = column;
    SetUpStage();
    EXPECT_EQ(Player.PlayerX, column * 15.0f);
    EXPECT_EQ(PlayerColumn(), column);
  }
}

TEST_F(StageSetUp, WindowsOfAFreshStage) {
  SetUpStage();
  EXPECT_TRUE(Shown(frmBG));
  EXPECT_EQ(PxRect(frmBG), (plat::Rect{0, 1024 - 99, 1024, 1024}));
  EXPECT_EQ(frmBG.Picture(), ShapePicture(6));
  EXPECT_EQ(*Cycle.BGRegion, CreateShapeRegion(6));
  EXPECT_TRUE(Shown(frmPlayer));
  EXPECT_EQ(*Player.PlayerRegion, CreateShapeRegion(10));
  EXPECT_FALSE(Shown(frmBoss));
  EXPECT_EQ(PxRect(frmBoss), (plat::Rect{1024, 1024 - 66, 1024 + 37, 1024}));
  EXPECT_EQ(Cycle.BossStopX, (1024 - 37) * 15);
  EXPECT_FALSE(Shown(frmDot));
  EXPECT_EQ(PxRect(frmDot), (plat::Rect{0, 0, 1280, 1024}));
  EXPECT_EQ(frmDot.BackColor(), plat::RGB(255, 0, 0));
  EXPECT_FALSE(Shown(frmEShot));
  EXPECT_EQ(frmEShot.BackColor(), plat::RGB(255, 0, 0));
  for (auto& enemy : EnemyForms) {
    EXPECT_FALSE(Shown(enemy));
    EXPECT_EQ(enemy.BackColor(), plat::RGB(0, 0, 0));
    EXPECT_EQ(PxRect(enemy).Width(), 21);
  }
  for (auto& shot : ShotForms) {
    EXPECT_FALSE(Shown(shot));
    EXPECT_EQ(PxRect(shot).Width(), 63);
    EXPECT_EQ(PxRect(shot).Height(), 1);
    EXPECT_EQ(shot.BackColor(), plat::RGB(0, 255, 0));
  }
  EXPECT_EQ(frmSTAFF.BackColor(), plat::RGB(224, 224, 224));
  EXPECT_EQ(EnemySide.EnemyMaxIndex, 5);
  EXPECT_EQ(EnemySide.EnemyShotMaxIndex, 5);
}

TEST_F(StageSetUp, PatternsAreDrawnPerSlot) {
  SetUpStage();
  for (const auto& enemy : EnemySide.Enemies) {
    EXPECT_EQ(enemy.State, 0);
    EXPECT_TRUE(enemy.Pattern == -1 || enemy.Pattern == 0);
    EXPECT_TRUE(enemy.RegionCopy.has_value());
  }
}

// The end of a won game, as the next set-up finds it.
void LeaveAWonGameBehind() {
  Cycle.BossActive = kTrue;
  Cycle.BossDefeated = kTrue;
  Cycle.PlayerInvincible = kTrue;
  frmBoss.SetVisible(true);
  frmDot.SetVisible(true);
  SetShapePicture(7, frmBG);
  EnemyForms[2].SetVisible(true);
  EnemySide.Enemies[2].State = 1;
  EnemySide.EnemyShots[4].Active = 1;
  ShotForms[0].SetVisible(true);
  PlayerSide.Shots[0].Active = 1;
  PlayerSide.Particles[7].Active = kTrue;
  Player.PlayerLives = -2;
  Player.PlayerHit = kTrue;
  Player.PlayerDeadFrames = 999;
}

TEST_F(StageSetUp, ASecondSetUpLeavesNothingOfThePreviousGame) {
  SetUpStage();
  const plat::WindowId oldShip = frmPlayer.hWnd();
  LeaveAWonGameBehind();
  SetUpStage();
  EXPECT_NE(frmPlayer.hWnd(), oldShip);  // destroyed and created afresh
  EXPECT_EQ(Cycle.BossActive, kFalse);
  EXPECT_EQ(Cycle.BossDefeated, kFalse);
  EXPECT_EQ(Cycle.PlayerInvincible, kFalse);
  EXPECT_FALSE(Shown(frmBoss));
  EXPECT_FALSE(Shown(frmDot));
  EXPECT_EQ(frmBG.Picture(), ShapePicture(6));
  for (auto& enemy : EnemyForms) EXPECT_FALSE(Shown(enemy));
  for (auto& shot : ShotForms) EXPECT_FALSE(Shown(shot));
  EXPECT_EQ(EnemySide.Enemies[2].State, 0);
  EXPECT_EQ(EnemySide.EnemyShots[4].Active, 0);
  // A beam or particles of the last game do not fly on into this one.
  for (const auto& shot : PlayerSide.Shots) EXPECT_EQ(shot.Active, 0);
  for (const auto& particle : PlayerSide.Particles) EXPECT_EQ(particle.Active, kFalse);
  EXPECT_EQ(Player.PlayerLives, 3);
  EXPECT_EQ(Player.PlayerHit, kFalse);
  EXPECT_EQ(Player.PlayerDeadFrames, 0);
}

TEST_F(StageSetUp, SpritesRestOnTheBottomOfTheWorkArea) {
  sim::SetScreen(1280, 1024, plat::Rect{0, 0, 1280, 984});  // a 40-pixel panel below
  SetUpStage();
  EXPECT_EQ(ScreenHeightTwips(), 984 * 15);
  EXPECT_EQ(PxRect(frmBG).bottom, 984);
  EXPECT_EQ(PxRect(frmBoss).bottom, 984);
  EXPECT_EQ(Player.PlayerMaxY, 1024 * 15);  // down to the screen's own bottom
}

TEST_F(StageSetUp, ScreensWiderThan16BitTwipsWork) {
  sim::SetScreen(3840, 2400);
  SetUpStage();
  EXPECT_EQ(Player.PlayerMaxX, 3840 * 15);
  EXPECT_EQ(Player.PlayerMaxY, 2400 * 15);
  EXPECT_EQ(PxRect(frmDot), (plat::Rect{0, 0, 3840, 2400}));
}

TEST_F(StageSetUp, AFailingStepIsSkippedAndTheRestRuns) {
  // A screen so large that its width in twips overflows 32 bits: only the
  // limit taken from it is lost.
  sim::SetScreen(200'000'000, 1024);
  Player.PlayerMaxX = 1234;
  SetUpStage();
  EXPECT_EQ(Player.PlayerMaxX, 1234);
  EXPECT_EQ(Player.PlayerMaxY, 1024 * 15);
  EXPECT_EQ(Player.PlayerStep, 7.5f);
  EXPECT_EQ(frmSTAFF.BackColor(), plat::RGB(224, 224, 224));
}

}  // namespace
}  // namespace zb
