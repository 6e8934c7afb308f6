// Ordinary enemies: spawning, flight, death.
#pragma once

namespace zb {

void SpawnEnemies();
void MoveEnemies();
void UpdateDyingEnemies();

}  // namespace zb
