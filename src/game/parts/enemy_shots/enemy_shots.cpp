// Enemy shots: aimed at the ship when fired, drawn together by the one
// full-screen enemyShotsWindow cut to a 2 x 2 square per shot in flight.
#include "game/parts/enemy_shots/enemy_shots.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "game/base/game_windows.h"
#include "game/base/random.h"
#include "game/base/screen_metrics.h"
#include "game/base/state.h"
#include "game/parts/ship/ship_window.h"
#include "platform/errors.h"
#include "platform/numeric.h"

namespace zb {

EnemyShotsState EnemyShots;

namespace {

EnemyShotRecord* FreeShotSlot() {
  const int last = EnemyShots.lastSlot;
  for (int s = 0; s <= last; ++s) {
    if (EnemyShots.slots[s].active == 0) return &EnemyShots.slots[s];
  }
  return nullptr;
}

// v twips per frame towards a point near the ship, scattered by -29..60
// twips on each axis (the 32 is twips too).
void Aim(EnemyShotRecord& shot) {
  const double v = plat::IntDiv(std::floor(Rnd() * 3 + 4) * TPPX, 2);
  const double dx = std::floor(Rnd() * 90 + 1 - 30) + (Ship.x + 32) - shot.x;
  const double dy = std::floor(Rnd() * 90 + 1 - 30) + (Ship.y + 32) - shot.y;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d == 0) {  // aimed at its own position: fly straight left
    shot.vx = plat::Single(-v);
    shot.vy = 0;
    return;
  }
  shot.vx = plat::Single(dx * v / d);
  shot.vy = plat::Single(dy * v / d);
}

// Left behind the ship, beyond the right edge, off the top or bottom, or on
// the ship. Every test is made, the ship test included.
bool ShotIsSpent(const EnemyShotRecord& shot) {
  const bool behind =
      shipWindow.Left() - 32 * TPPX > shot.x || shot.x > ScreenWidthTwips();
  const bool outOfHeight = shot.y < 0 || shot.y > ScreenHeightTwips();
  const bool hit = EnemyShotHitsShip(shot.x, shot.y);
  return behind || outOfHeight || hit;
}

plat::Rect ShotSquare(const EnemyShotRecord& shot) {
  const double xi = plat::FloorToInt32(shot.x);
  const double yi = plat::FloorToInt32(shot.y);
  return {plat::RoundToInt32(xi / TPPX), plat::RoundToInt32(yi / TPPY),
          plat::RoundToInt32((xi + 2 * TPPX) / TPPX),
          plat::RoundToInt32((yi + 2 * TPPY) / TPPY)};
}

// Cut first, then shown; with no shot left the window hides, outline kept.
void ShowShots(const std::optional<plat::Region>& squares) {
  if (!squares) {
    enemyShotsWindow.SetVisible(false);
    return;
  }
  enemyShotsWindow.SetShape(*squares);
  if (!enemyShotsWindow.Visible()) enemyShotsWindow.SetVisible(true);
}

}  // namespace

void FireEnemyShot(std::int16_t& i) {
  EnemyShotRecord* shot = FreeShotSlot();
  if (shot == nullptr) return;
  if (i < 0 || i >= static_cast<int>(Enemies.slots.size())) {
    throw plat::RuntimeError("Subscript out of range");
  }
  const EnemyRecord& enemy = Enemies.slots[i];
  shot->active = 1;
  shot->x = enemy.x - TPPX;
  shot->y = plat::Single(enemy.y + static_cast<double>(plat::IntDiv(enemyWindows[0].Height(), 2)));
  Aim(*shot);
}

void MoveEnemyShots() {
  std::optional<plat::Region> squares;
  const int last = EnemyShots.lastSlot;
  for (int s = 0; s <= last; ++s) {
    EnemyShotRecord& shot = EnemyShots.slots[s];
    if (shot.active != 1) continue;
    shot.x = shot.x + shot.vx;
    shot.y = shot.y + shot.vy;
    if (ShotIsSpent(shot)) {
      shot.active = 0;
      continue;
    }
    if (!squares) squares.emplace();
    squares->Unite(ShotSquare(shot));
  }
  ShowShots(squares);
}

bool EnemyShotHitsShip(float x, float y) {
  if (Ship.hit) return false;
  const std::int32_t rx = plat::IntDiv(x - Ship.x, TPPX);
  const std::int32_t ry = plat::IntDiv(y - Ship.y, TPPY);
  if (Ship.outline && Ship.outline->OverlapsRect({rx, ry, rx + 1, ry + 1})) {
    Ship.hit = true;
    return true;
  }
  return false;
}

void PrepareEnemyShotWindow() { CoverScreenHidden(enemyShotsWindow); }

void FreeEnemyShots() {
  for (int i = 0; i <= EnemyShots.lastSlot; ++i) EnemyShots.slots[i].active = 0;
}

}  // namespace zb
