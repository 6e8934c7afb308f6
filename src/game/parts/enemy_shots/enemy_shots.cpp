// Enemy shots: aimed at the ship when fired, drawn together by the one
// full-screen enemyShotsWindow cut to a 2 x 2 square per shot in flight.
#include "game/parts/enemy_shots/enemy_shots.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "game/base/enemy_state.h"
#include "game/base/game_windows.h"
#include "game/base/random.h"
#include "game/base/screen_metrics.h"
#include "game/base/state.h"
#include "platform/errors.h"
#include "platform/numeric.h"

namespace zb {
namespace {

EnemyShotRecord* FreeShotSlot() {
  const int last = EnemySide.EnemyShotMaxIndex;
  for (int s = 0; s <= last; ++s) {
    if (EnemySide.EnemyShots[s].Active == 0) return &EnemySide.EnemyShots[s];
  }
  return nullptr;
}

// v twips per frame towards a point near the ship, scattered by -29..60
// twips on each axis (the 32 is twips too).
void Aim(EnemyShotRecord& shot) {
  const double v = plat::IntDiv(std::floor(Rnd() * 3 + 4) * TPPX, 2);
  const double dx = std::floor(Rnd() * 90 + 1 - 30) + (Player.PlayerX + 32) - shot.X;
  const double dy = std::floor(Rnd() * 90 + 1 - 30) + (Player.PlayerY + 32) - shot.Y;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d == 0) {  // aimed at its own position: fly straight left
    shot.VX = plat::Single(-v);
    shot.VY = 0;
    return;
  }
  shot.VX = plat::Single(dx * v / d);
  shot.VY = plat::Single(dy * v / d);
}

// Left behind the ship, beyond the right edge, off the top or bottom, or on
// the ship. Every test is made, the ship test included.
bool ShotIsSpent(const EnemyShotRecord& shot) {
  const bool behind =
      shipWindow.Left() - 32 * TPPX > shot.X || shot.X > ScreenWidthTwips();
  const bool outOfHeight = shot.Y < 0 || shot.Y > ScreenHeightTwips();
  const bool hit = ShotHitsPlayer(shot.X, shot.Y);
  return behind || outOfHeight || hit;
}

plat::Rect ShotSquare(const EnemyShotRecord& shot) {
  const double xi = plat::FloorToInt32(shot.X);
  const double yi = plat::FloorToInt32(shot.Y);
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
  if (i < 0 || i >= static_cast<int>(EnemySide.Enemies.size())) {
    throw plat::RuntimeError("Subscript out of range");
  }
  const EnemyRecord& enemy = EnemySide.Enemies[i];
  shot->Active = 1;
  shot->X = enemy.X - TPPX;
  shot->Y = plat::Single(enemy.Y + static_cast<double>(plat::IntDiv(enemyWindows[0].Height(), 2)));
  Aim(*shot);
}

void MoveEnemyShots() {
  std::optional<plat::Region> squares;
  const int last = EnemySide.EnemyShotMaxIndex;
  for (int s = 0; s <= last; ++s) {
    EnemyShotRecord& shot = EnemySide.EnemyShots[s];
    if (shot.Active != 1) continue;
    shot.X = shot.X + shot.VX;
    shot.Y = shot.Y + shot.VY;
    if (ShotIsSpent(shot)) {
      shot.Active = 0;
      continue;
    }
    if (!squares) squares.emplace();
    squares->Unite(ShotSquare(shot));
  }
  ShowShots(squares);
}

bool ShotHitsPlayer(float x, float y) {
  if (Player.PlayerHit == kTrue) return false;
  const std::int32_t rx = plat::IntDiv(x - Player.PlayerX, TPPX);
  const std::int32_t ry = plat::IntDiv(y - Player.PlayerY, TPPY);
  if (Player.PlayerRegion && Player.PlayerRegion->OverlapsRect({rx, ry, rx + 1, ry + 1})) {
    Player.PlayerHit = kTrue;
    return true;
  }
  return false;
}

void PrepareEnemyShotWindow() { CoverScreenHidden(enemyShotsWindow); }

void FreeEnemyShots() {
  for (int i = 0; i <= EnemySide.EnemyShotMaxIndex; ++i) EnemySide.EnemyShots[i].Active = 0;
}

}  // namespace zb
