// Enemies: the spawn counters, flight, colours, culling, firing and death.
#include <gtest/gtest.h>

#include <cmath>

#include "enemies/enemies.h"
#include "enemies/enemy_state.h"
#include "game/forms.h"
#include "game/frame_loop.h"
#include "game/globals.h"
#include "shapes/pictures.h"
#include "support/combat_fixture.h"

namespace zb::testing {
namespace {

constexpr plat::Color kDarkRed = plat::RGB(196, 0, 0);

using CombatEnemies = CombatTest;

int ShotsInFlight() {
  int n = 0;
  for (const auto& s : EnemySide.EnemyShots) n += s.Active;
  return n;
}

void CallSpawn(int times) {
  for (int n = 0; n < times; ++n) SpawnEnemies();
}

TEST_F(CombatEnemies, SpawnsOnEveryFortiethCallWithinTheGrowingReach) {
  CallSpawn(39);
  EXPECT_EQ(EnemySide.Enemies[0].State, 0);
  SpawnEnemies();
  const EnemyRecord& first = EnemySide.Enemies[0];
  ASSERT_EQ(first.State, 1);
  EXPECT_EQ(first.X, Player.PlayerX + 240 * kTwips);
  const float rows = (ScreenHeightTwips() - first.Y) / 150;
  EXPECT_TRUE(rows >= 3 && rows <= 8 && rows == static_cast<int>(rows)) << rows;
  EXPECT_EQ(first.Pattern, 0);
  EXPECT_EQ(ShotsInFlight(), 1) << "a new enemy fires at once";
  EXPECT_EQ(EnemySide.EnemyTicks[0], 0);
  EXPECT_EQ(EnemySide.EnemyTicks[1], 1);

  CallSpawn(40);
  EXPECT_EQ(EnemySide.Enemies[1].State, 1) << "reach 1: slot 0 busy, slot 1 taken";
  EXPECT_EQ(EnemySide.EnemyTicks[1], 2);

  // The reach wraps past EnemyMaxIndex to 0, where slot 0 is still busy.
  EnemySide.EnemyTicks[1] = 5;
  for (int i = 2; i < 6; ++i) EnemySide.Enemies[i].State = 2;
  CallSpawn(40);
  EXPECT_EQ(EnemySide.EnemyTicks[1], 0);
  CallSpawn(40);
  EXPECT_EQ(EnemySide.EnemyTicks[1], 1);
  for (int i = 2; i < 6; ++i) EXPECT_EQ(EnemySide.Enemies[i].State, 2);
}

TEST_F(CombatEnemies, SpawnTickCarriesAcrossZonesAndZoneBNarrowsThePool) {
  CallSpawn(25);  // zone A
  Player.PlayerX = 700 * kTwips;  // zone B
  EnemySide.EnemyTicks[1] = 3;
  for (int i = 0; i < 3; ++i) EnemySide.Enemies[i].State = 1;
  CallSpawn(14);
  EXPECT_EQ(EnemySide.Enemies[3].State, 0);
  SpawnEnemies();
  EXPECT_EQ(EnemySide.Enemies[3].State, 1);
  EXPECT_EQ(EnemySide.Enemies[3].Pattern, 1);
  EXPECT_EQ(EnemySide.EnemyMaxIndex, 3);
  EXPECT_EQ(EnemySide.EnemyTicks[1], 0) << "reach 4 is past the new maximum 3";
}

TEST_F(CombatEnemies, OnlyLivingEnemiesWithinTheReachFireWhenDue) {
  const int far = 100 + 65;  // more than 64 pixels ahead of the ship
  for (int i = 0; i < 4; ++i) {
    PlaceEnemy(i, far + 10 * i, 960);
    EnemySide.Enemies[i].FireTick = 30;
  }
  EnemySide.Enemies[1].State = 0;  // shot down while its cycle stood at 30
  EnemySide.Enemies[2].X = (100 + 64) * kTwips;  // exactly 64 pixels: too close
  EnemySide.EnemyTicks[1] = 2;     // slot 3 is beyond the reach
  SpawnEnemies();
  ASSERT_EQ(ShotsInFlight(), 1);
  EXPECT_EQ(EnemySide.EnemyShots[0].X, EnemySide.Enemies[0].X - kTwips);
}

TEST_F(CombatEnemies, StraightEnemiesAreBlackAndWaverersDarkRed) {
  PlaceEnemy(0, 400, 960);
  EnemyRecord& e = EnemySide.Enemies[0];
  e.Pattern = 0;
  e.PhaseStep = 0.01f;
  e.PhaseLimit = 40;
  e.Phase = 10;
  EnemyForms[0].SetBackColor(kDarkRed);
  MoveEnemies();
  auto rec = Record(EnemyForms[0].hWnd());
  EXPECT_EQ(rec.rect, (plat::Rect{399, 960, 420, 970}));
  EXPECT_EQ(rec.backColor, kBlack);
  EXPECT_TRUE(rec.visible);
  EXPECT_EQ(e.Y, 960 * kTwips);

  Player.PlayerX = 700 * kTwips;  // zone B: the next redraw turns it
  e.Phase = 40;
  MoveEnemies();
  EXPECT_EQ(e.Pattern, 1);
  EXPECT_EQ(Record(EnemyForms[0].hWnd()).backColor, kDarkRed);
  EXPECT_TRUE(e.PhaseStep >= 0.003f && e.PhaseStep < 0.013f);
  EXPECT_TRUE(e.PhaseLimit >= 18 && e.PhaseLimit <= 53);
  EXPECT_TRUE(e.Phase > e.PhaseLimit - 18 && e.Phase <= e.PhaseLimit);
  EXPECT_LE(std::abs(e.Y - 960 * kTwips), 19);

  Player.PlayerX = 500 * kTwips;  // between the zones: pattern kept
  e.Phase = e.PhaseLimit;
  e.PhaseStep = 1;
  MoveEnemies();
  EXPECT_EQ(e.Pattern, 1);
}

TEST_F(CombatEnemies, HeightIsKeptWithinTheStrip) {
  PlaceEnemy(0, 400, 0);
  EnemySide.Enemies[0].PhaseLimit = 20;
  EnemySide.Enemies[0].Phase = 1;
  MoveEnemies();
  EXPECT_EQ(EnemySide.Enemies[0].Y, frmBG.Top() + 16 * kTwips);
  EXPECT_EQ(EnemySide.Enemies[0].Phase, 40);
  EnemySide.Enemies[0].Y = ScreenHeightTwips();
  MoveEnemies();
  EXPECT_EQ(EnemySide.Enemies[0].Y, ScreenHeightTwips() - 16 * kTwips);
  EXPECT_EQ(Record(EnemyForms[0].hWnd()).rect.top, 1024 - 16);
}

TEST_F(CombatEnemies, CulledOnceMoreThan36PixelsBehindTheShip) {
  PlaceEnemy(0, 100 - 35, 960);
  MoveEnemies();
  EXPECT_EQ(EnemySide.Enemies[0].State, 1) << "exactly 36 pixels behind";
  MoveEnemies();
  EXPECT_EQ(EnemySide.Enemies[0].State, 0);
  EXPECT_FALSE(Record(EnemyForms[0].hWnd()).visible);
}

TEST_F(CombatEnemies, FireCycleRunsZeroToThirty) {
  PlaceEnemy(0, 600, 960);
  for (int n = 0; n < 30; ++n) MoveEnemies();
  EXPECT_EQ(EnemySide.Enemies[0].FireTick, 30);
  MoveEnemies();
  EXPECT_EQ(EnemySide.Enemies[0].FireTick, 0);
}

TEST_F(CombatEnemies, DyingEnemiesShareOneSubTick) {
  PlaceEnemy(0, 400, 960);
  PlaceEnemy(1, 500, 960);
  MoveEnemies();
  EnemySide.Enemies[0].State = EnemySide.Enemies[1].State = 2;
  UpdateDyingEnemies();
  EXPECT_EQ(Record(EnemyForms[0].hWnd()).picture, ShapePicture(13));
  EXPECT_EQ(Record(EnemyForms[1].hWnd()).picture, ShapePicture(14));
  EXPECT_EQ(Record(EnemyForms[0].hWnd()).rect, (plat::Rect{399, 960, 411, 972}));
  EXPECT_EQ(EnemySide.Enemies[0].X, (399 - 2) * kTwips) << "only the record drifts";
  for (int call = 2; call <= 19; ++call) UpdateDyingEnemies();
  EXPECT_EQ(EnemySide.Enemies[0].State, 2);
  UpdateDyingEnemies();  // call 20
  EXPECT_EQ(EnemySide.Enemies[0].State, 0);
  UpdateDyingEnemies();  // call 21: slot 1 alone now, the sub-tick was at 1
  EXPECT_EQ(EnemySide.Enemies[1].State, 2);
  UpdateDyingEnemies();
  EXPECT_EQ(EnemySide.Enemies[1].State, 0);
  auto freed = Record(EnemyForms[1].hWnd());
  EXPECT_FALSE(freed.visible);
  EXPECT_EQ(freed.picture, nullptr);
  EXPECT_EQ(freed.rect.Width(), 21);
  EXPECT_EQ(EnemySide.Enemies[1].DeathFrame, 0);
}

TEST_F(CombatEnemies, ALoneDeathRunsThirteenFourteenThirteenForSevenFrames) {
  PlaceEnemy(0, 400, 960);
  EnemySide.Enemies[0].State = 2;
  for (int call = 0; call < 21; ++call) {
    ASSERT_EQ(EnemySide.Enemies[0].State, 2) << call;
    UpdateDyingEnemies();
    if (call < 20) {
      EXPECT_EQ(Record(EnemyForms[0].hWnd()).picture, ShapePicture(call % 3 == 1 ? 14 : 13));
    }
  }
  EXPECT_EQ(EnemySide.Enemies[0].State, 0);
}

TEST_F(CombatEnemies, DyingEnemiesFreezeWhileTheBossIsActive) {
  PlaceEnemy(0, 400, 960);
  EnemySide.Enemies[0].State = 2;
  Cycle.BossActive = kTrue;
  frmBoss.nPower = 5;
  UpdateDyingEnemies();
  EXPECT_EQ(EnemySide.Enemies[0].X, 400 * kTwips);
  EXPECT_EQ(EnemySide.EnemyTicks[2], 0);
}

// Positions are 32-bit: a screen wider than 2184 pixels (32767 twips) works.
TEST_F(CombatEnemies, EnemiesAndTheirShotsWorkOnWideScreens) {
  sim::SetScreen(3000, 1024);
  frmEShot.Move(0, 0, ScreenWidthTwips(), ScreenFullHeightTwips());
  PlaceEnemy(0, 2500, 960);
  MoveEnemies();
  EXPECT_EQ(Record(EnemyForms[0].hWnd()).rect.left, 2499);
  EnemySide.EnemyShots[0] = {2400 * kTwips, 960 * kTwips, -30, 0, 1};
  MoveEnemyShots();
  EXPECT_EQ(Record(frmEShot.hWnd()).outline->Rects(),
            (std::vector<plat::Rect>{{2398, 960, 2400, 962}}));
}

}  // namespace
}  // namespace zb::testing
