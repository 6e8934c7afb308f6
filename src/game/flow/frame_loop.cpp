// The 50 ms frame loop of a stage.
#include "game/flow/frame_loop.h"

#include "game/base/game_windows.h"
#include "game/base/key_latch.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/base/waits.h"
#include "game/parts/beam/beam.h"
#include "game/parts/boss/boss.h"
#include "game/parts/bursts/bursts.h"
#include "game/parts/enemies/enemies.h"
#include "game/parts/enemy_shots/enemy_shots.h"
#include "game/parts/scenery/scenery.h"
#include "game/parts/ship/ship.h"
#include "game/parts/ship/ship_window.h"
#include "game/parts/ship/steering.h"
#include "platform/events.h"
#include "platform/keys.h"

namespace zb {
namespace {

constexpr std::uint32_t kFrameMs = 50;

KeyPressLatch homeKey{plat::VK_HOME};
KeyPressLatch escapeKey{plat::VK_ESCAPE};

// HOME: invincibility on or off, with the ship's picture to match.
void ToggleInvincibilityOnHome() {
  if (!PollKeyPress(homeKey)) return;
  Ship.invincible = !Ship.invincible;
  SetShapePicture(Ship.invincible ? Shape::kShipInvincible : Shape::kShip, shipWindow);
}

void TogglePauseOnEscape() {
  if (PollKeyPress(escapeKey)) Game.paused = !Game.paused;
}

void AdvanceBurstNo() {
  Bursts.number = Bursts.number + 1;
  if (Bursts.number > 2) Bursts.number = 0;
}

void MoveEnemySide() {
  MoveEnemies();
  MoveEnemyShots();
  UpdateDyingEnemies();
}

void CheckShipHits() {
  CheckShipHitsEnemy();
  CheckShipHitsScenery();
  HandleShipHit();
}

}  // namespace

void ResetFrameKeys() {
  homeKey.heldAtLastPoll = false;
  escapeKey.heldAtLastPoll = false;
}

void RunBurstStep() {
  if (Bursts.running) {
    Bursts.running = AdvanceBurst();
    return;
  }
  if (SceneryBurstDue()) {
    StartSceneryBurst();
  } else if (Boss.active && Boss.strength >= 1) {
    StartBossBurst();
  } else {
    return;
  }
  Bursts.running = true;
  AdvanceBurstNo();
}

std::optional<StageEnd> RunOneFrame() {
  ToggleInvincibilityOnHome();
  TogglePauseOnEscape();
  if (Game.paused) {
    plat::DoEvents();
    return std::nullopt;
  }
  // A ship being destroyed with its last life has lost, even when the boss
  // fell in the same frame: its destruction runs on to the game's end, and
  // if Home froze it (the hit forgiven), nothing is left to play for.
  if (Boss.defeated && Ship.lives > 0) return StageEnd::kWin;
  if (Boss.defeated && !Ship.hit) return StageEnd::kGameOver;
  SteerShip();
  UpdateBeam();
  RunBurstStep();
  if (InSpawnZone(ShipColumn())) SpawnEnemies();
  if (ShipColumn() > kBossTriggerColumn && !Boss.active) RunBossEntrance();
  MoveEnemySide();
  CheckShipHits();
  if (Ship.blastCycles == kGameOver) return StageEnd::kGameOver;
  plat::DoEvents();
  return std::nullopt;
}

void PaceFrame(std::uint32_t t0) {
  const std::uint32_t elapsed = plat::TimeGetTime() - t0;  // wraps with the clock
  if (elapsed < kFrameMs) WaitMs(static_cast<std::int32_t>(kFrameMs - elapsed));
}

StageEnd RunFrameLoop() {
  // Esc and Home pressed at the title, during the launch, the win or the
  // staff roll do not pause the stage or make the ship invincible.
  ForgetKeyPresses(homeKey);
  ForgetKeyPresses(escapeKey);
  for (;;) {
    const std::uint32_t t0 = plat::TimeGetTime();
    if (const auto end = RunOneFrame()) return *end;
    PaceFrame(t0);
  }
}

}  // namespace zb
