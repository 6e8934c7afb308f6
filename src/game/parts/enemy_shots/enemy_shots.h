// The enemies' shots.
#pragma once

#include <cstdint>

namespace zb {

void FireEnemyShot(std::int16_t& i);
void MoveEnemyShots();
bool ShotHitsPlayer(float x, float y);

// At the set-up: the shots' window over the whole screen, hidden.
void PrepareEnemyShotWindow();
// At the set-up: no shot in flight.
void FreeEnemyShots();

}  // namespace zb
