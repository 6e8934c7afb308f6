// A fresh game for the tests on the simulated backend.
#include "support/reset_game.h"

#include "game/base/enemy_state.h"
#include "game/base/game_windows.h"
#include "game/base/shot_state.h"
#include "game/base/state.h"
#include "game/flow/frame_loop.h"
#include "game/parts/balloon/balloon.h"

namespace zb::test {

void ResetGame() {
  UnloadAllWindows();
  Cycle = CycleState{};
  Player = PlayerRecord{};
  EnemySide = EnemyState{};
  PlayerSide = PlayerSideState{};
  BalloonShapesBuilt = kFalse;
  ResetFrameKeys();
}

}  // namespace zb::test
