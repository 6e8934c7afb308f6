// The enemies' shots.
#pragma once

#include <cstdint>

namespace zb {

void FireEnemyShot(std::int16_t& i);
void MoveEnemyShots();
bool ShotHitsPlayer(float x, float y);

}  // namespace zb
