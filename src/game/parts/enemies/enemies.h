// Ordinary enemies: spawning, flight, death.
#pragma once

namespace zb {

void SpawnEnemies();
void MoveEnemies();
void UpdateDyingEnemies();

// At the set-up: slot i's window with the enemy's outline, black, hidden.
void PrepareEnemyWindow(int i);
// At the set-up: every slot free, with a fresh pattern.
void FreeEnemySlots();

}  // namespace zb
