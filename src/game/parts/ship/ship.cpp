// The ship's collisions with enemies and the scenery, lost lives and the
// destruction that ends a game.
#include "game/parts/ship/ship.h"

#include <cstdint>

#include "game/base/enemy_state.h"
#include "game/base/game_windows.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/shot_state.h"
#include "game/base/state.h"
#include "game/parts/lamps/lamps.h"
#include "platform/events.h"
#include "platform/numeric.h"

namespace zb {
namespace {

constexpr int kShipShape = 10;
constexpr int kInvincibleShipShape = 11;
constexpr int kEnemyShape = 12;
constexpr int kFirstBlastShape = 13;
constexpr int kSceneryShape = 6;
constexpr int kBossSceneryShape = 7;
constexpr std::int32_t kDestructionCycles = 7;
constexpr std::int32_t kGameOver = 999;

// Two outlines touch only when their overlap needs two or more rectangles:
// a lone rectangle of overlap is forgiven.
bool IsCollision(plat::Region& a, const plat::Region& b) {
  a.Intersect(b);
  return a.Kind() == plat::RegionKind::kComplex;
}

bool ShipOverlapsEnemy(const EnemyRecord& enemy) {
  plat::Region ship = CreateShapeRegion(kShipShape);
  plat::Region body = CreateShapeRegion(kEnemyShape);
  body.Offset(plat::IntDiv(enemy.X - Player.PlayerX, TPPX),
              plat::IntDiv(enemy.Y - Player.PlayerY, TPPY));
  return IsCollision(ship, body);
}

// A life is lost: the ship flies on, invincible until the ship window's invincibility timer.
void LoseLife() {
  Player.PlayerHit = kFalse;
  Player.PlayerDeadFrames = 0;
  Cycle.PlayerInvincible = kTrue;
  SetShapePicture(kInvincibleShipShape, shipWindow);
  plat::DoEvents();
  DarkenLamp();
  shipWindow.invincibilityTimer.SetEnabled(true);
}

// Steps the blast sub-phase; the seventh full cycle ends the game.
void AdvanceBlastPhase() {
  auto& phase = PlayerSide.BlastPhase;
  if (phase < 2) {
    ++phase;
    return;
  }
  phase = 0;
  ++Player.PlayerDeadFrames;
  if (Player.PlayerDeadFrames == kDestructionCycles) {
    Player.PlayerHit = kFalse;
    Player.PlayerDeadFrames = kGameOver;
    Player.PlayerRegion.reset();
  }
}

// One frame of the destruction: blast shapes 13, 14, 13 per cycle. Only the
// record's PlayerX drifts left; the window stays where the ship was hit.
void RunDestructionFrame() {
  const int shape = kFirstBlastShape + PlayerSide.BlastPhase % 2;
  SizeWindowToShape(shape, shipWindow);
  SetShapePicture(shape, shipWindow);
  Player.PlayerRegion = CutWindowToShape(shape, shipWindow);
  Player.PlayerX = Player.PlayerX - 2 * TPPX;
  AdvanceBlastPhase();
}

}  // namespace

int CheckShipHitsEnemy() {
  int result = 0;
  const int last = EnemySide.EnemyMaxIndex;
  for (int i = 0; i <= last; ++i) {
    EnemyRecord& enemy = EnemySide.Enemies[i];
    if (enemy.State == 1 && Player.PlayerHit == kFalse && ShipOverlapsEnemy(enemy)) {
      enemy.State = 2;
      Player.PlayerHit = kTrue;
      result = 1;
    }
    plat::DoEvents();
  }
  return result;
}

int CheckShipHitsScenery() {
  plat::Region ship = CreateShapeRegion(kShipShape);
  plat::Region scenery =
      CreateShapeRegion(Cycle.BossActive == kTrue ? kBossSceneryShape : kSceneryShape);
  ship.Offset(plat::IntDiv(Player.PlayerX, TPPX),
              plat::IntDiv(Player.PlayerY - sceneryWindow.Top(), TPPY));
  int result = 0;
  if (IsCollision(scenery, ship)) {
    Player.PlayerHit = kTrue;
    result = 1;
  }
  plat::DoEvents();
  return result;
}

void HandleShipHit() {
  if (Player.PlayerHit == kFalse) return;
  if (Cycle.PlayerInvincible == kTrue) {
    Player.PlayerHit = kFalse;
    return;
  }
  Player.PlayerLives = Player.PlayerLives - 1;
  if (Player.PlayerLives > 0) {
    LoseLife();
  } else {
    RunDestructionFrame();
  }
}

}  // namespace zb
