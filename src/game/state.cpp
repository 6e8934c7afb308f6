// Storage of the game's shared state.
#include "enemies/enemy_state.h"
#include "game/globals.h"
#include "player/shot_state.h"

namespace zb {

CycleState Cycle;
PlayerRecord Player;
EnemyState EnemySide;
PlayerSideState PlayerSide;

}  // namespace zb
