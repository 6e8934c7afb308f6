// Ordinary enemies: spawning ahead of the ship in the two spawn zones, their
// flight and firing cycle, culling behind the ship, and the death animation.
#include "game/parts/enemies/enemies.h"

#include <cmath>
#include <cstdint>

#include "game/base/enemy_state.h"
#include "game/base/game_windows.h"
#include "game/base/random.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/skip_on_error.h"
#include "game/base/state.h"
#include "game/parts/boss/boss.h"
#include "game/parts/enemy_shots/enemy_shots.h"
#include "platform/numeric.h"

namespace zb {
namespace {

constexpr int kEnemyShape = 12;
constexpr int kFirstBlastShape = 13;
constexpr std::uint8_t kSpawnEvery = 40;  // spawn-zone frames between attempts
constexpr std::uint8_t kFireCycle = 30;   // FireTick runs 0..30
constexpr std::uint8_t kDeathFrames = 7;
constexpr plat::Color kStraightColor = 0;
constexpr plat::Color kWaverColor = plat::RGB(196, 0, 0);

enum class Zone { kNone, kA, kB };

Zone ShipZone() {
  const std::int32_t px = PlayerColumn();
  if (px > 32 && px < 320) return Zone::kA;
  if (px > 630 && px < 800) return Zone::kB;
  return Zone::kNone;
}

void SetPatternFromZone(EnemyRecord& e) {
  const Zone zone = ShipZone();
  if (zone == Zone::kA) e.Pattern = 0;
  if (zone == Zone::kB) e.Pattern = 1;
}

// PhaseStep is written by the caller: spawns and later redraws differ.
void DrawWaveLimits(EnemyRecord& e) {
  e.PhaseLimit = plat::Single(std::floor(Rnd() * 36 + 18));
  e.Phase = plat::Single(e.PhaseLimit - std::floor(Rnd() * 18));
}

// A new enemy 240 pixels ahead of the ship, 3 to 8 enemy heights above the
// bottom; it fires at once. MoveEnemies places and shows it.
void SpawnInto(std::int16_t i) {
  EnemyRecord& e = EnemySide.Enemies[i];
  e.State = 1;
  e.FireTick = 0;
  const double height = enemyWindows[0].Height();
  e.Y = plat::Single(ScreenHeightTwips() - (std::floor(Rnd() * 6) + 3) * height);
  e.X = Player.PlayerX + 240 * TPPX;
  e.PhaseStep = plat::Single(std::floor(Rnd() * 100) / 1000);
  DrawWaveLimits(e);
  const Zone zone = ShipZone();
  if (zone == Zone::kA) {
    e.Pattern = 0;
    EnemySide.EnemyMaxIndex = 5;
  } else if (zone == Zone::kB) {
    e.Pattern = 1;
    EnemySide.EnemyMaxIndex = 3;
  }
  FireEnemyShot(i);
}

// Every 40th call: spawn into the first free slot up to the reach, which then
// grows by one slot and wraps past EnemyMaxIndex.
void TrySpawn() {
  auto& ticks = EnemySide.EnemyTicks;
  const int reach = ticks[1];
  for (std::int16_t i = 0; i <= reach; ++i) {
    if (EnemySide.Enemies[i].State == 0) {
      SpawnInto(i);
      break;
    }
  }
  ticks[0] = 0;
  ticks[1] = ticks[1] + 1;
  if (ticks[1] > EnemySide.EnemyMaxIndex) ticks[1] = 0;
}

// Only living enemies fire, and only up to the current reach.
void FireDueShots() {
  const int reach = EnemySide.EnemyTicks[1];
  for (std::int16_t i = 0; i <= reach; ++i) {
    const EnemyRecord& e = EnemySide.Enemies[i];
    if (e.State == 1 && e.FireTick == kFireCycle && Player.PlayerX + 64 * TPPX < e.X) {
      FireEnemyShot(i);
    }
  }
}

void AdvanceWave(EnemyRecord& e) {
  e.Phase = e.Phase + e.PhaseStep;
  if (e.Phase > e.PhaseLimit) {
    e.PhaseStep = plat::Single(std::floor(Rnd() * 100 + 30) / 10000);
    DrawWaveLimits(e);
    SetPatternFromZone(e);
  }
  e.X = e.X - TPPX;
  if (e.Pattern == 1) {
    e.Y = plat::Single(e.Y + std::floor(Rnd() * 15 + 5) * std::cos(static_cast<double>(e.Phase)));
  }
  e.FireTick = e.FireTick + 1;
  if (e.FireTick > kFireCycle) e.FireTick = 0;
}

// Keeps the enemy between 16 pixels below the scenery's top and 16 pixels
// above the bottom; one pushed back draws new wave parameters next frame.
std::int32_t ClampHeight(EnemyRecord& e) {
  std::int32_t yi = plat::FloorToInt32(e.Y);
  const float upper = sceneryWindow.Top() + 16 * TPPY;
  if (upper > yi) {
    e.Y = upper;
    yi = plat::FloorToInt32(e.Y);
    e.Phase = 2 * e.PhaseLimit;
  }
  const double lower = ScreenHeightTwips() - static_cast<double>(16 * TPPY);
  if (lower < yi) {
    e.Y = plat::Single(lower);
    yi = plat::FloorToInt32(e.Y);
    e.Phase = 2 * e.PhaseLimit;
  }
  return yi;
}

void PaintByPattern(SpriteWindow& window, std::int32_t pattern) {
  if (window.BackColor() != kStraightColor && pattern == 0) window.SetBackColor(kStraightColor);
  if (window.BackColor() != kWaverColor && pattern == 1) window.SetBackColor(kWaverColor);
}

void MoveEnemy(int i) {
  EnemyRecord& e = EnemySide.Enemies[i];
  SpriteWindow& window = enemyWindows[i];
  AdvanceWave(e);
  const std::int32_t xi = plat::FloorToInt32(e.X);
  const std::int32_t yi = ClampHeight(e);
  window.Move(xi, yi);
  PaintByPattern(window, e.Pattern);
  if (!window.Visible()) window.SetVisible(true);
  if (shipWindow.Left() - 36 * TPPX > xi) {
    window.SetVisible(false);
    e.State = 0;
  }
}

// Gives the slot's window a blast shape, keeping the spare outline.
void ShowBlast(int i, int shape) {
  SizeWindowToShape(shape, enemyWindows[i]);
  SetShapePicture(shape, enemyWindows[i]);
  EnemySide.Enemies[i].RegionCopy = CutWindowToShape(shape, enemyWindows[i]);
}

void FreeDeadEnemy(int i) {
  EnemyRecord& e = EnemySide.Enemies[i];
  e.State = 0;
  e.DeathFrame = 0;
  SizeWindowToShape(kEnemyShape, enemyWindows[i]);
  enemyWindows[i].SetPicture(nullptr);
  e.RegionCopy = CutWindowToShape(kEnemyShape, enemyWindows[i]);
  enemyWindows[i].SetVisible(false);
}

// One step of a dying enemy. The sub-tick is shared by every dying enemy and
// advances once per enemy visited; three steps make one death frame.
void AnimateDeath(int i) {
  EnemyRecord& e = EnemySide.Enemies[i];
  auto& subTick = EnemySide.EnemyTicks[2];
  ShowBlast(i, kFirstBlastShape + subTick % 2);
  e.X = e.X - 2 * TPPX;
  if (subTick == 2) {
    subTick = 0;
    e.DeathFrame = e.DeathFrame + 1;
    if (e.DeathFrame >= kDeathFrames) FreeDeadEnemy(i);
  } else {
    subTick = subTick + 1;
  }
}

}  // namespace

void SpawnEnemies() {
  auto& ticks = EnemySide.EnemyTicks;
  ticks[0] = ticks[0] + 1;
  if (ticks[0] >= kSpawnEvery) TrySpawn();
  FireDueShots();
}

void MoveEnemies() {
  const int last = EnemySide.EnemyMaxIndex;
  for (int i = 0; i <= last; ++i) {
    if (EnemySide.Enemies[i].State == 1) MoveEnemy(i);
  }
}

void UpdateDyingEnemies() {
  if (Cycle.BossActive == kTrue) {
    BossDefeatCheck();
    return;
  }
  const int last = EnemySide.EnemyMaxIndex;
  for (int i = 0; i <= last; ++i) {
    if (EnemySide.Enemies[i].State == 2) AnimateDeath(i);
  }
}

void PrepareEnemyWindow(int i) {
  SizeWindowToShape(12, enemyWindows[i]);
  EnemySide.Enemies[i].RegionCopy = CutWindowToShape(12, enemyWindows[i]);
  enemyWindows[i].SetBackColor(plat::RGB(0, 0, 0));
  enemyWindows[i].SetVisible(false);
}

void FreeEnemySlots() {
  for (int i = 0; i <= EnemySide.EnemyMaxIndex; ++i) {
    SkipOnError([i] {
      EnemySide.Enemies[i].State = 0;
      EnemySide.Enemies[i].Pattern = std::floor(2 * Rnd()) == 0 ? -1 : 0;
    });
  }
}

}  // namespace zb
