// Storage of the game's shared state.
#include "game/base/state.h"

namespace zb {

GameState Game;
ShipState Ship;
BossState Boss;
EnemiesState Enemies;

}  // namespace zb
