// The stage set-up: fresh sprite windows and a fresh game state for a game.
#include "game/flow/stage_setup.h"

#include "game/base/game_windows.h"
#include "game/base/skip_on_error.h"
#include "game/base/state.h"
#include "game/parts/beam/beam.h"
#include "game/parts/boss/boss.h"
#include "game/parts/bursts/bursts.h"
#include "game/parts/enemies/enemies.h"
#include "game/parts/enemy_shots/enemy_shots.h"
#include "game/parts/scenery/scenery.h"
#include "game/parts/ship/ship_window.h"
#include "platform/events.h"
#include "platform/keys.h"

namespace zb {
namespace {

void UnloadSprites() {
  for (Window* f : {static_cast<Window*>(&bossWindow), static_cast<Window*>(&particlesWindow),
                  static_cast<Window*>(&enemyShotsWindow), static_cast<Window*>(&shipWindow),
                  static_cast<Window*>(&sceneryWindow)}) {
    SkipOnError([f] { f->Unload(); });
  }
  for (auto& f : enemyWindows) SkipOnError([&f] { f.Unload(); });
  for (auto& f : beamWindows) SkipOnError([&f] { f.Unload(); });
}

}  // namespace

void SetUpStage() {
  Enemies.lastSlot = 5;
  EnemyShots.lastSlot = 5;
  plat::GetAsyncKeyState(plat::VK_SPACE);
  plat::DoEvents();
  Ship.invincible = false;
  UnloadSprites();
  ResetBossFlags();
  SkipOnError(PlaceBoss);
  SkipOnError(PrepareParticleWindow);
  SkipOnError(ShowScenery);
  SkipOnError(PrepareEnemyShotWindow);
  SkipOnError(ShowShip);
  for (int i = 0; i <= Enemies.lastSlot; ++i) SkipOnError([i] { PrepareEnemyWindow(i); });
  for (int i = 0; i < 3; ++i) SkipOnError([i] { PrepareBeamWindow(i); });
  FreeEnemySlots();
  FreeEnemyShots();
  FreeBeams();
  FreeParticles();
  FillShipRecord();
  SkipOnError([] { bannerWindow.SetBackColor(plat::RGB(224, 224, 224)); });
}

}  // namespace zb
