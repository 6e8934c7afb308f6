// Enemies and their shots: the spawn counters, flight and colours, culling,
// firing and aiming, the death animation, the shots' squares and hits.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/random.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/parts/enemies/enemies.h"
#include "game/parts/enemy_shots/enemy_shots.h"
#include "support/combat_fixture.h"

namespace zb::testing {
namespace {

constexpr plat::Color kDarkRed = plat::RGB(196, 0, 0);
using CombatEnemies = CombatTest;
auto& Foe(int i) { return Enemies.slots[i]; }
void Spawn(int calls) { while (calls-- > 0) SpawnEnemies(); }
int ShotsInFlight() {
  int n = 0;
  for (const auto& s : EnemyShots.slots) n += s.active;
  return n;
}

TEST_F(CombatEnemies, EveryFortiethZoneFrameSpawnsWithinAReachThatGrowsAndWraps) {
  Spawn(39);
  EXPECT_EQ(Foe(0).state, 0);
  Spawn(1);
  ASSERT_EQ(Foe(0).state, 1);
  EXPECT_EQ(Foe(0).x, Ship.x + 240 * kTwips);
  const float heights = (ScreenHeightTwips() - Foe(0).y) / 150;
  EXPECT_TRUE(heights >= 3 && heights <= 8 && heights == std::floor(heights)) << heights;
  EXPECT_EQ(ShotsInFlight(), 1) << "a new enemy fires at once";
  Spawn(40);
  EXPECT_EQ(Foe(1).state, 1) << "reach 1, slot 0 busy";
  Enemies.ticks[1] = 5;
  for (int i = 2; i < 6; ++i) Foe(i).state = 2;
  Spawn(80);  // no slot free up to 5, then the reach wraps to busy slot 0
  EXPECT_EQ(Enemies.ticks[1], 1);
  for (int i = 2; i < 6; ++i) EXPECT_EQ(Foe(i).state, 2);
  Spawn(25);  // the tick carries into zone B, whose spawns narrow the pool
  Ship.x = 700 * kTwips;
  Enemies.ticks[1] = 3;
  Foe(3).state = 0;
  Spawn(15);
  EXPECT_EQ(Foe(3).state, 1);
  EXPECT_EQ(Foe(3).pattern, 1);
  EXPECT_EQ(Enemies.lastSlot, 3);
  EXPECT_EQ(Enemies.ticks[1], 0) << "reach 4 is past the new maximum";
}

TEST_F(CombatEnemies, OnlyLivingEnemiesWithinTheReachAndMoreThan64PixelsAheadFire) {
  for (int i = 0; i < 4; ++i) {
    PlaceEnemy(i, 165 + 10 * i, 960);
    Foe(i).fireTick = 30;
  }
  Foe(1).state = 0;                // shot down while its cycle stood at 30
  Foe(2).x = (100 + 64) * kTwips;  // exactly 64 pixels ahead
  Enemies.ticks[1] = 2;     // slot 3 lies beyond the reach
  SpawnEnemies();
  ASSERT_EQ(ShotsInFlight(), 1);
  EXPECT_EQ(EnemyShots.slots[0].x, Foe(0).x - kTwips);
}

TEST_F(CombatEnemies, StraightFliersAreBlackWaverersDarkRedAndRedrawsFollowTheZone) {
  Foe(0) = {.x = 6000, .y = 14400, .phaseStep = 0.01f, .phaseLimit = 40, .phase = 10, .state = 1};
  enemyWindows[0].SetBackColor(kDarkRed);
  MoveEnemies();
  auto rec = Record(enemyWindows[0].Id());
  EXPECT_EQ(rec.rect, (plat::Rect{399, 960, 420, 970}));
  EXPECT_TRUE(rec.visible);
  EXPECT_EQ(rec.backColor, kBlack);
  EXPECT_EQ(Foe(0).y, 14400);
  Ship.x = 700 * kTwips;  // zone B
  Foe(0).phase = 40;
  MoveEnemies();
  EXPECT_EQ(Foe(0).pattern, 1);
  EXPECT_EQ(Record(enemyWindows[0].Id()).backColor, kDarkRed);
  EXPECT_TRUE(Foe(0).phase > Foe(0).phaseLimit - 18 && Foe(0).phase <= Foe(0).phaseLimit);
  EXPECT_LE(std::abs(Foe(0).y - 14400), 19) << "wavers by up to 19 twips";
  Ship.x = 500 * kTwips;  // between the zones
  Foe(0).phase = 99;
  MoveEnemies();
  EXPECT_EQ(Foe(0).pattern, 1);
}

TEST_F(CombatEnemies, CulledOnceMoreThan36PixelsBehindTheShip) {
  PlaceEnemy(0, 100 - 35, 960);
  MoveEnemies();
  EXPECT_EQ(Foe(0).state, 1);
  MoveEnemies();
  EXPECT_EQ(Foe(0).state, 0);
  EXPECT_FALSE(Record(enemyWindows[0].Id()).visible);
}

// One sub-tick for all dying enemies, one step per enemy visited: shapes
// 13, 14, 13 per death frame alone, shared out when several die together.
TEST_F(CombatEnemies, DyingEnemiesShareOneSubTick) {
  PlaceEnemy(0, 400, 960);
  PlaceEnemy(1, 500, 960);
  MoveEnemies();
  Foe(0).state = Foe(1).state = 2;
  UpdateDyingEnemies();
  EXPECT_EQ(Record(enemyWindows[0].Id()).picture, ShapePicture(13));
  EXPECT_EQ(Record(enemyWindows[1].Id()).picture, ShapePicture(14));
  EXPECT_EQ(Record(enemyWindows[0].Id()).rect, (plat::Rect{399, 960, 411, 972}));
  EXPECT_EQ(Foe(0).x, 397 * kTwips) << "only the record drifts";
  for (int call = 2; call <= 20; ++call) UpdateDyingEnemies();
  EXPECT_EQ(Foe(0).state, 0) << "seven death frames after 20 calls";
  UpdateDyingEnemies();  // slot 1 alone now: the sub-tick stood at 1
  EXPECT_EQ(Foe(1).state, 2);
  UpdateDyingEnemies();
  EXPECT_EQ(Foe(1).state, 0);
  const auto freed = Record(enemyWindows[1].Id());
  EXPECT_TRUE(!freed.visible && freed.picture == nullptr && freed.rect.Width() == 21);
}

// Positions are 32-bit: beyond 2184 pixels (32767 twips) the game goes on.
TEST_F(CombatEnemies, EnemiesAndTheirShotsWorkOnWideScreens) {
  sim::SetScreen(3000, 1024);
  enemyShotsWindow.Move(0, 0, ScreenWidthTwips(), ScreenFullHeightTwips());
  PlaceEnemy(0, 2500, 960);
  MoveEnemies();
  EXPECT_EQ(Record(enemyWindows[0].Id()).rect.left, 2499);
  EnemyShots.slots[0] = {2400 * kTwips, 960 * kTwips, -30, 0, 1};
  MoveEnemyShots();
  EXPECT_EQ(Record(enemyShotsWindow.Id()).outline->Rects(),
            (std::vector<plat::Rect>{{2398, 960, 2400, 962}}));
}

// Aimed at a point scattered -29..60 twips around (Ship.x + 32, Ship.y +
// 32), a hair's breadth from the middle at this distance.
TEST_F(CombatEnemies, EnemyShotsAreAimedNearTheShipAtThreeSpeeds) {
  PlaceEnemy(0, 600, 960);
  std::set<long> speeds;
  for (int n = 0; n < 60; ++n) {
    EnemyShots.slots[0].active = 0;
    std::int16_t slot = 0;
    FireEnemyShot(slot);
    const EnemyShotRecord& s = EnemyShots.slots[0];
    EXPECT_EQ(s.x, Enemies.slots[0].x - kTwips);
    EXPECT_EQ(s.y, Enemies.slots[0].y + 75);
    speeds.insert(std::lround(std::hypot(s.vx, s.vy)));
    const double toX = Ship.x + 47 - s.x, toY = Ship.y + 47 - s.y;
    EXPECT_NEAR(std::atan2(s.vy, s.vx), std::atan2(toY, toX), 0.01);
  }
  EXPECT_EQ(speeds, (std::set<long>{30, 37, 45}));
}

// The ship placed where the scatter of the next draws makes the shot's aim
// point its own position: it flies straight left at its speed, no overflow.
TEST_F(CombatEnemies, AShotAimedAtItsOwnPositionFliesLeft) {
  PlaceEnemy(0, 600, 960);
  const float shotX = Enemies.slots[0].x - kTwips, shotY = Enemies.slots[0].y + 75;
  for (std::uint64_t seed : {1u, 2u, 3u}) {
    SeedRandom(seed);
    const double speed = std::floor(Rnd() * 3 + 4) * kTwips / 2;
    Ship.x = shotX - 32 - static_cast<float>(std::floor(Rnd() * 90 + 1 - 30));
    Ship.y = shotY - 32 - static_cast<float>(std::floor(Rnd() * 90 + 1 - 30));
    SeedRandom(seed);
    EnemyShots.slots[0].active = 0;
    std::int16_t slot = 0;
    FireEnemyShot(slot);
    const EnemyShotRecord& s = EnemyShots.slots[0];
    EXPECT_EQ(s.vx, static_cast<float>(-std::trunc(speed))) << seed;
    EXPECT_EQ(s.vy, 0) << seed;
    EXPECT_NO_THROW(MoveEnemyShots()) << seed;
    EXPECT_EQ(s.x, shotX + s.vx) << seed;
  }
}

TEST_F(CombatEnemies, EnemyShotsAreTwoByTwoSquaresFreedBehindOrOffTheScreen) {
  auto& shots = EnemyShots.slots;
  shots[0] = {3000, 1500, -30, 15, 1};
  shots[1] = {1500 - 480 + 10, 1500, -30, 0, 1};  // more than 32 px behind the ship
  shots[2] = {ScreenWidthTwips() - 10, 1500, 30, 0, 1};
  shots[3] = {3000, 10, 0, -15, 1};
  shots[4] = {3000, ScreenHeightTwips() - 10.0f, 0, 15, 1};
  MoveEnemyShots();
  EXPECT_EQ(shots[0].active, 1);
  for (int s = 1; s <= 4; ++s) EXPECT_EQ(shots[s].active, 0) << s;
  auto rec = Record(enemyShotsWindow.Id());
  EXPECT_TRUE(rec.visible);
  EXPECT_EQ(rec.outline->Rects(), (std::vector<plat::Rect>{{198, 101, 200, 103}}));
  shots[0].x = -100;
  MoveEnemyShots();
  EXPECT_FALSE(Record(enemyShotsWindow.Id()).visible);
}

TEST_F(CombatEnemies, OnlyTheTopLeftPixelOfAShotHitsTheShip) {
  const plat::Rect top = CreateShapeRegion(10).Rects().front();
  const float sx = Ship.x + (top.left - 1) * kTwips;
  const float sy = Ship.y + (top.top - 1) * kTwips;
  EXPECT_FALSE(EnemyShotHitsShip(sx, sy)) << "only its other three pixels touch";
  EXPECT_EQ(Ship.hit, false);
  EXPECT_TRUE(EnemyShotHitsShip(sx + kTwips, sy + kTwips));
  EXPECT_EQ(Ship.hit, true);
  EXPECT_FALSE(EnemyShotHitsShip(sx + kTwips, sy + kTwips)) << "the ship is already hit";
}

}  // namespace
}  // namespace zb::testing
