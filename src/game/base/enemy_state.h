// The enemies' records, written by the enemies' part; the beam and the ship
// mark an enemy hit.
#pragma once

#include <array>
#include <cstdint>

#include "game/base/state.h"

namespace zb {

struct EnemyRecord {
  float x = 0;                  // left of the enemy window, twips
  float y = 0;                  // top, twips
  float phaseStep = 0;          // added to phase each frame, radians
  float phaseLimit = 0;         // whole number 18..53
  float phase = 0;              // argument of the cosine of the waver
  std::uint8_t state = 0;       // 0 free, 1 alive, 2 dying
  std::uint8_t fireTick = 0;    // 0..30
  std::uint8_t deathFrame = 0;  // 0..6
  RegionHandle spareOutline;    // spare outline of the slot's window
  std::int32_t pattern = 0;     // 0 straight, black; 1 wavering, dark red
};

struct EnemiesState {
  std::array<EnemyRecord, 6> slots;
  std::uint8_t lastSlot = 0;            // slots 0..lastSlot are in play
  std::array<std::uint8_t, 3> ticks{};  // spawn tick, spawn reach, death sub-tick
};

extern EnemiesState Enemies;

}  // namespace zb
