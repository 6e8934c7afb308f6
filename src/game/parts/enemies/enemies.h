// Ordinary enemies: spawning, flight, death.
#pragma once

#include <cstdint>

namespace zb {

// The spawn zones: while the ship's column lies in one, enemies come. Zone A
// (columns 33..319) sends straight flyers, zone B (631..799) waverers.
enum class SpawnZone { kNone, kA, kB };
SpawnZone SpawnZoneAt(std::int32_t column);
inline bool InSpawnZone(std::int32_t column) { return SpawnZoneAt(column) != SpawnZone::kNone; }

// Every frame in a spawn zone: a new enemy every 40th, and the shots due.
void SpawnEnemies();
void MoveEnemies();
void UpdateDyingEnemies();

// At the set-up: slot i's window with the enemy's outline, black, hidden.
void PrepareEnemyWindow(int i);
// At the set-up: every slot free, with a fresh pattern.
void FreeEnemySlots();

}  // namespace zb
