// Ordinary enemies: spawning ahead of the ship in the two spawn zones, their
// flight and firing cycle, culling behind the ship, and the death animation.
#include "game/parts/enemies/enemies.h"

#include <cmath>
#include <cstdint>

#include "game/base/game_windows.h"
#include "game/base/random.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/skip_on_error.h"
#include "game/base/state.h"
#include "game/parts/boss/boss.h"
#include "game/parts/enemy_shots/enemy_shots.h"
#include "game/parts/ship/ship_window.h"
#include "platform/numeric.h"

namespace zb {
namespace {

constexpr std::uint8_t kSpawnEvery = 40;  // spawn-zone frames between attempts
constexpr std::uint8_t kFireCycle = 30;   // fireTick runs 0..30
constexpr std::uint8_t kDeathFrames = 7;
constexpr plat::Color kStraightColor = 0;
constexpr plat::Color kWaverColor = plat::RGB(196, 0, 0);

SpawnZone ShipZone() { return SpawnZoneAt(ShipColumn()); }

void SetPatternFromZone(EnemyRecord& e) {
  const SpawnZone zone = ShipZone();
  if (zone == SpawnZone::kA) e.pattern = 0;
  if (zone == SpawnZone::kB) e.pattern = 1;
}

// PhaseStep is written by the caller: spawns and later redraws differ.
void DrawWaveLimits(EnemyRecord& e) {
  e.phaseLimit = plat::Single(std::floor(Rnd() * 36 + 18));
  e.phase = plat::Single(e.phaseLimit - std::floor(Rnd() * 18));
}

// A new enemy 240 pixels ahead of the ship, 3 to 8 enemy heights above the
// bottom; it fires at once. MoveEnemies places and shows it.
void SpawnInto(std::int16_t i) {
  EnemyRecord& e = Enemies.slots[i];
  e.state = 1;
  e.fireTick = 0;
  const double height = enemyWindows[0].Height();
  e.y = plat::Single(ScreenHeightTwips() - (std::floor(Rnd() * 6) + 3) * height);
  e.x = Ship.x + 240 * TPPX;
  e.phaseStep = plat::Single(std::floor(Rnd() * 100) / 1000);
  DrawWaveLimits(e);
  const SpawnZone zone = ShipZone();
  if (zone == SpawnZone::kA) {
    e.pattern = 0;
    Enemies.lastSlot = 5;
  } else if (zone == SpawnZone::kB) {
    e.pattern = 1;
    Enemies.lastSlot = 3;
  }
  FireEnemyShot(i);
}

// Every 40th call: spawn into the first free slot up to the reach, which then
// grows by one slot and wraps past lastSlot.
void TrySpawn() {
  auto& ticks = Enemies.ticks;
  const int reach = ticks[1];
  for (std::int16_t i = 0; i <= reach; ++i) {
    if (Enemies.slots[i].state == 0) {
      SpawnInto(i);
      break;
    }
  }
  ticks[0] = 0;
  ticks[1] = ticks[1] + 1;
  if (ticks[1] > Enemies.lastSlot) ticks[1] = 0;
}

// Only living enemies fire, and only up to the current reach.
void FireDueShots() {
  const int reach = Enemies.ticks[1];
  for (std::int16_t i = 0; i <= reach; ++i) {
    const EnemyRecord& e = Enemies.slots[i];
    if (e.state == 1 && e.fireTick == kFireCycle && Ship.x + 64 * TPPX < e.x) {
      FireEnemyShot(i);
    }
  }
}

void AdvanceWave(EnemyRecord& e) {
  e.phase = e.phase + e.phaseStep;
  if (e.phase > e.phaseLimit) {
    e.phaseStep = plat::Single(std::floor(Rnd() * 100 + 30) / 10000);
    DrawWaveLimits(e);
    SetPatternFromZone(e);
  }
  e.x = e.x - TPPX;
  if (e.pattern == 1) {
    e.y = plat::Single(e.y + std::floor(Rnd() * 15 + 5) * std::cos(static_cast<double>(e.phase)));
  }
  e.fireTick = e.fireTick + 1;
  if (e.fireTick > kFireCycle) e.fireTick = 0;
}

// Keeps the enemy between 16 pixels below the scenery's top and 16 pixels
// above the bottom; one pushed back draws new wave parameters next frame.
std::int32_t ClampHeight(EnemyRecord& e) {
  std::int32_t yi = plat::FloorToInt32(e.y);
  const float upper = sceneryWindow.Top() + 16 * TPPY;
  if (upper > yi) {
    e.y = upper;
    yi = plat::FloorToInt32(e.y);
    e.phase = 2 * e.phaseLimit;
  }
  const double lower = ScreenHeightTwips() - static_cast<double>(16 * TPPY);
  if (lower < yi) {
    e.y = plat::Single(lower);
    yi = plat::FloorToInt32(e.y);
    e.phase = 2 * e.phaseLimit;
  }
  return yi;
}

void PaintByPattern(SpriteWindow& window, std::int32_t pattern) {
  if (window.BackColor() != kStraightColor && pattern == 0) window.SetBackColor(kStraightColor);
  if (window.BackColor() != kWaverColor && pattern == 1) window.SetBackColor(kWaverColor);
}

void MoveEnemy(int i) {
  EnemyRecord& e = Enemies.slots[i];
  SpriteWindow& window = enemyWindows[i];
  AdvanceWave(e);
  const std::int32_t xi = plat::FloorToInt32(e.x);
  const std::int32_t yi = ClampHeight(e);
  window.Move(xi, yi);
  PaintByPattern(window, e.pattern);
  if (!window.Visible()) window.SetVisible(true);
  if (shipWindow.Left() - 36 * TPPX > xi) {
    window.SetVisible(false);
    e.state = 0;
  }
}

// Gives the slot's window a blast shape, keeping the spare outline.
void ShowBlast(int i, Shape shape) {
  SizeWindowToShape(shape, enemyWindows[i]);
  SetShapePicture(shape, enemyWindows[i]);
  Enemies.slots[i].spareOutline = CutWindowToShape(shape, enemyWindows[i]);
}

void FreeDeadEnemy(int i) {
  EnemyRecord& e = Enemies.slots[i];
  e.state = 0;
  e.deathFrame = 0;
  SizeWindowToShape(Shape::kEnemy, enemyWindows[i]);
  enemyWindows[i].SetPicture(nullptr);
  e.spareOutline = CutWindowToShape(Shape::kEnemy, enemyWindows[i]);
  enemyWindows[i].SetVisible(false);
}

// One step of a dying enemy. The sub-tick is shared by every dying enemy and
// advances once per enemy visited; three steps make one death frame.
void AnimateDeath(int i) {
  EnemyRecord& e = Enemies.slots[i];
  auto& subTick = Enemies.ticks[2];
  ShowBlast(i, BlastFrame(subTick));
  e.x = e.x - 2 * TPPX;
  if (subTick == 2) {
    subTick = 0;
    e.deathFrame = e.deathFrame + 1;
    if (e.deathFrame >= kDeathFrames) FreeDeadEnemy(i);
  } else {
    subTick = subTick + 1;
  }
}

}  // namespace

SpawnZone SpawnZoneAt(std::int32_t column) {
  if (column > 32 && column < 320) return SpawnZone::kA;
  if (column > 630 && column < 800) return SpawnZone::kB;
  return SpawnZone::kNone;
}

void SpawnEnemies() {
  auto& ticks = Enemies.ticks;
  ticks[0] = ticks[0] + 1;
  if (ticks[0] >= kSpawnEvery) TrySpawn();
  FireDueShots();
}

void MoveEnemies() {
  const int last = Enemies.lastSlot;
  for (int i = 0; i <= last; ++i) {
    if (Enemies.slots[i].state == 1) MoveEnemy(i);
  }
}

void UpdateDyingEnemies() {
  if (Boss.active) {
    BossDefeatCheck();
    return;
  }
  const int last = Enemies.lastSlot;
  for (int i = 0; i <= last; ++i) {
    if (Enemies.slots[i].state == 2) AnimateDeath(i);
  }
}

void PrepareEnemyWindow(int i) {
  SizeWindowToShape(Shape::kEnemy, enemyWindows[i]);
  Enemies.slots[i].spareOutline = CutWindowToShape(Shape::kEnemy, enemyWindows[i]);
  enemyWindows[i].SetBackColor(plat::RGB(0, 0, 0));
  enemyWindows[i].SetVisible(false);
}

void FreeEnemySlots() {
  for (int i = 0; i <= Enemies.lastSlot; ++i) {
    SkipOnError([i] {
      Enemies.slots[i].state = 0;
      Enemies.slots[i].pattern = std::floor(2 * Rnd()) == 0 ? -1 : 0;
    });
  }
}

}  // namespace zb
