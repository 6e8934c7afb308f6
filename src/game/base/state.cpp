// Storage of the game's shared state.
#include "game/base/enemy_state.h"
#include "game/base/shot_state.h"
#include "game/base/state.h"

namespace zb {

CycleState Cycle;
PlayerRecord Player;
EnemyState EnemySide;
PlayerSideState PlayerSide;

}  // namespace zb
