// Start-up: the shape tables, a clean keyboard, the random generator, then
// the game cycle until the program ends.
#include "game/flow/entry.h"

#include <cstdio>
#include <exception>
#include <initializer_list>

#include "game/base/game_windows.h"
#include "game/base/random.h"
#include "game/base/shape_table.h"
#include "game/base/state.h"
#include "game/flow/frame_loop.h"
#include "game/flow/game_cycle.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/beam/beam.h"
#include "game/parts/boss/boss.h"
#include "game/parts/bursts/bursts.h"
#include "game/parts/click_hint/click_hint.h"
#include "game/parts/enemy_shots/enemy_shots.h"
#include "game/parts/lamps/lamps.h"
#include "game/parts/scenery/scenery.h"
#include "game/parts/ship/ship_window.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/keys.h"

namespace zb {
namespace {

// A run-time error ends the program with the fatal box and status 1.
int EndWithError(const char* what) {
  try {
    plat::FailFatally(what);
  } catch (const plat::ProgramExit& exit) {
    return exit.status;
  }
}

void StartUp(std::int32_t startX) {
  Game.startColumn = startX;
  BuildShapeTable();
  BuildBalloonShapes();
  plat::GetAsyncKeyState(plat::VK_SPACE);  // a Space pressed before start does not count
  plat::DoEvents();
  SeedRandom(plat::ClockSeed());
  WatchKeyboard();
}

}  // namespace

void UnloadAllWindows() {
  for (Window* w : std::initializer_list<Window*>{&balloonLeft, &balloonCentre, &balloonRight,
                                                  &sceneryWindow, &bossWindow, &particlesWindow,
                                                  &enemyShotsWindow, &shipWindow, &bannerWindow,
                                                  &lampsWindow, &clickHintWindow}) {
    w->Unload();
  }
  for (auto& f : enemyWindows) f.Unload();
  for (auto& f : beamWindows) f.Unload();
}

void ResetGameState() {
  UnloadAllWindows();
  Game = {};
  Ship = {};
  Boss = {};
  Enemies = {};
  EnemyShots = {};
  Beams = {};
  Bursts = {};
  Scenery = {};
  BalloonShapesBuilt = false;
  ResetFrameKeys();
}

int RunGame(std::int32_t startX) {
  try {
    StartUp(startX);
    RunGameCycle();
    return 0;
  } catch (const plat::ProgramExit& exit) {
    return exit.status;
  } catch (const std::exception& error) {
    return EndWithError(error.what());
  }
}

}  // namespace zb
