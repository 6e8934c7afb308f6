// The ship's collisions with enemies and the scenery, lost lives and the
// destruction that ends a game.
#include "game/parts/ship/ship.h"

#include <cstdint>

#include "game/base/game_windows.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/parts/lamps/lamps.h"
#include "game/parts/ship/ship_window.h"
#include "platform/events.h"
#include "platform/numeric.h"

namespace zb {
namespace {

constexpr std::int32_t kDestructionCycles = 7;

// Two outlines touch only when their overlap needs two or more rectangles:
// a lone rectangle of overlap is forgiven.
bool IsCollision(plat::Region& a, const plat::Region& b) {
  a.Intersect(b);
  return a.Kind() == plat::RegionKind::kComplex;
}

bool ShipOverlapsEnemy(const EnemyRecord& enemy) {
  plat::Region ship = CreateShapeRegion(Shape::kShip);
  plat::Region body = CreateShapeRegion(Shape::kEnemy);
  body.Offset(plat::IntDiv(enemy.x - Ship.x, TPPX),
              plat::IntDiv(enemy.y - Ship.y, TPPY));
  return IsCollision(ship, body);
}

// A life is lost: the ship flies on, invincible until the ship window's invincibility timer.
void LoseLife() {
  Ship.hit = false;
  Ship.blastCycles = 0;
  Ship.invincible = true;
  SetShapePicture(Shape::kShipInvincible, shipWindow);
  plat::DoEvents();
  DarkenLamp();
  shipWindow.invincibilityTimer.SetEnabled(true);
}

// Steps the blast sub-phase; the seventh full cycle ends the game.
void AdvanceBlastPhase() {
  auto& phase = Ship.blastPhase;
  if (phase < 2) {
    ++phase;
    return;
  }
  phase = 0;
  ++Ship.blastCycles;
  if (Ship.blastCycles == kDestructionCycles) {
    Ship.hit = false;
    Ship.blastCycles = kGameOver;
    Ship.outline.reset();
  }
}

// One frame of the destruction: blast shapes 13, 14, 13 per cycle. Only the
// record's x drifts left; the window stays where the ship was hit.
void RunDestructionFrame() {
  const Shape shape = BlastFrame(Ship.blastPhase);
  SizeWindowToShape(shape, shipWindow);
  SetShapePicture(shape, shipWindow);
  Ship.outline = CutWindowToShape(shape, shipWindow);
  Ship.x = Ship.x - 2 * TPPX;
  AdvanceBlastPhase();
}

}  // namespace

int CheckShipHitsEnemy() {
  int result = 0;
  const int last = Enemies.lastSlot;
  for (int i = 0; i <= last; ++i) {
    EnemyRecord& enemy = Enemies.slots[i];
    if (enemy.state == 1 && !Ship.hit && ShipOverlapsEnemy(enemy)) {
      enemy.state = 2;
      Ship.hit = true;
      result = 1;
    }
    plat::DoEvents();
  }
  return result;
}

int CheckShipHitsScenery() {
  plat::Region ship = CreateShapeRegion(Shape::kShip);
  plat::Region scenery =
      CreateShapeRegion(Boss.active ? Shape::kCaveClosed : Shape::kCave);
  ship.Offset(plat::IntDiv(Ship.x, TPPX),
              plat::IntDiv(Ship.y - sceneryWindow.Top(), TPPY));
  int result = 0;
  if (IsCollision(scenery, ship)) {
    Ship.hit = true;
    result = 1;
  }
  plat::DoEvents();
  return result;
}

void HandleShipHit() {
  if (!Ship.hit) return;
  if (Ship.invincible) {
    Ship.hit = false;
    return;
  }
  Ship.lives = Ship.lives - 1;
  if (Ship.lives > 0) {
    LoseLife();
  } else {
    RunDestructionFrame();
  }
}

}  // namespace zb
