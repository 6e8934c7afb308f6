// The enemy side: enemies, their shots, the boss's defeat check.
#pragma once

#include <cstdint>

namespace zb {

void SpawnEnemies();
void MoveEnemies();
void UpdateDyingEnemies();

void FireEnemyShot(std::int16_t& i);
void MoveEnemyShots();
bool ShotHitsPlayer(float x, float y);

// The boss: the defeat check made each frame while the boss is active; the
// colour of its core for a strength.
void BossDefeatCheck();

}  // namespace zb
