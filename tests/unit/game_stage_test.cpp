// The stage set-up: the ship's record, the windows of a fresh stage, and a
// second set-up after a game.
#include <gtest/gtest.h>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/flow/stage_setup.h"
#include "game/parts/beam/beam.h"
#include "game/parts/boss/boss.h"
#include "game/parts/bursts/bursts.h"
#include "game/parts/scenery/scenery.h"
#include "game/parts/ship/ship_window.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

using test::PxRect;
using test::Shown;

using StageSetUp = test::FlowTest;

TEST_F(StageSetUp, ShipRecordForStartColumns0_300_913) {
  for (int column : {0, 300, 913}) {
    Game.startColumn = column;
    SetUpStage();
    EXPECT_EQ(ShipColumn(), column == 0 ? 36 : column);
  }
  EXPECT_EQ(Ship.y, 1024 * 15 - 5 * 150);
  EXPECT_EQ(Ship.maxX, 1280 * 15);
  EXPECT_EQ(Ship.maxY, 1024 * 15);
  EXPECT_EQ(Ship.minY, 150 + 1024 * 15 - 1485);
  EXPECT_EQ(Ship.step, 7.5f);
  EXPECT_EQ(Ship.lives, kStartingLives);
}

TEST_F(StageSetUp, WindowsOfAFreshStage) {
  SetUpStage();
  EXPECT_TRUE(Shown(sceneryWindow) && Shown(shipWindow));
  EXPECT_EQ(PxRect(sceneryWindow), (plat::Rect{0, 1024 - 99, 1024, 1024}));
  EXPECT_EQ(*Scenery.outline, CreateShapeRegion(6));
  EXPECT_EQ(*Ship.outline, CreateShapeRegion(10));
  EXPECT_EQ(PxRect(bossWindow), (plat::Rect{1024, 1024 - 66, 1024 + 37, 1024}));
  EXPECT_EQ(Boss.stopX, (1024 - 37) * 15);
  EXPECT_EQ(PxRect(particlesWindow), (plat::Rect{0, 0, 1280, 1024}));
  EXPECT_EQ(PxRect(beamWindows[2]), (plat::Rect{0, 0, 63, 1}));
  for (Window* f : std::initializer_list<Window*>{&bossWindow, &particlesWindow, &enemyShotsWindow, &enemyWindows[5], &beamWindows[0]}) {
    EXPECT_FALSE(Shown(*f)) << f->Name();
  }
}

TEST_F(StageSetUp, ASecondSetUpLeavesNothingOfThePreviousGame) {
  SetUpStage();
  Boss.active = Boss.defeated = Ship.invincible = true;
  bossWindow.SetVisible(true);
  SetShapePicture(7, sceneryWindow);
  enemyWindows[2].SetVisible(true);
  Enemies.slots[2].state = 1;
  beamWindows[0].SetVisible(true);
  Beams.shots[0].active = 1;
  Bursts.particles[7].active = true;
  Ship.blastCycles = 999;
  SetUpStage();
  EXPECT_EQ(Boss.active | Boss.defeated | Ship.invincible, false);
  EXPECT_FALSE(Shown(bossWindow) || Shown(enemyWindows[2]) || Shown(beamWindows[0]));
  EXPECT_EQ(sceneryWindow.Picture(), ShapePicture(6));
  EXPECT_EQ(Enemies.slots[2].state, 0);
  // A beam or particles of the last game do not fly on into this one.
  EXPECT_EQ(Beams.shots[0].active, 0);
  EXPECT_EQ(Bursts.particles[7].active, false);
  EXPECT_EQ(Ship.blastCycles, 0);
}

TEST_F(StageSetUp, WorkAreaAndWideScreens) {
  sim::SetScreen(3840, 2400, plat::Rect{0, 0, 3840, 2360});  // a 40-pixel panel below
  SetUpStage();
  EXPECT_EQ(PxRect(sceneryWindow).bottom, 2360);
  EXPECT_EQ(Ship.maxX, 3840 * 15);  // beyond 16 bits
  EXPECT_EQ(Ship.maxY, 2400 * 15);
}

TEST_F(StageSetUp, AFailingStepIsSkippedAndTheRestRuns) {
  sim::SetScreen(200'000'000, 1024);  // too wide for 32-bit twips
  Ship.maxX = 1234;
  SetUpStage();
  EXPECT_EQ(Ship.maxX, 1234);
  EXPECT_EQ(Ship.maxY, 1024 * 15);
  EXPECT_EQ(bannerWindow.BackColor(), plat::RGB(224, 224, 224));
  sim::SetScreen(1280, 200'000'000);  // the boss cannot stand on a bottom this low
  Boss.active = Boss.defeated = true;
  SetUpStage();
  EXPECT_FALSE(Boss.active || Boss.defeated);
}

}  // namespace
}  // namespace zb
