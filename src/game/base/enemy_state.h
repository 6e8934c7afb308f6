// The enemies' and their shots' records.
#pragma once

#include <array>
#include <cstdint>

#include "game/base/state.h"

namespace zb {

struct EnemyRecord {
  float X = 0;           // Left of the enemy window, twips
  float Y = 0;           // Top, twips
  float PhaseStep = 0;   // added to Phase each frame, radians
  float PhaseLimit = 0;  // whole number 18..53
  float Phase = 0;       // argument of the cosine of the waver
  std::uint8_t State = 0;       // 0 free, 1 alive, 2 dying
  std::uint8_t FireTick = 0;    // 0..30
  std::uint8_t DeathFrame = 0;  // 0..6
  RegionHandle RegionCopy;      // spare outline of the slot's window
  std::int32_t Pattern = 0;     // 0 straight, black; 1 wavering, dark red
};

struct EnemyShotRecord {
  float X = 0;   // left of the shot's square, twips
  float Y = 0;   // top, twips
  float VX = 0;  // twips per frame
  float VY = 0;
  std::uint8_t Active = 0;  // 1 in flight
};

struct EnemyState {
  std::array<EnemyRecord, 6> Enemies;
  std::uint8_t EnemyMaxIndex = 0;
  std::array<std::uint8_t, 3> EnemyTicks{};  // spawn tick, spawn reach, death sub-tick
  std::array<EnemyShotRecord, 6> EnemyShots;
  std::uint8_t EnemyShotMaxIndex = 0;
};

extern EnemyState EnemySide;

}  // namespace zb
