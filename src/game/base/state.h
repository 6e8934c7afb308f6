// Game state shared across the game's modules: flags of the game cycle and
// the ship's record.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/region.h"

namespace zb {

// Booleans of the game are 16-bit values with True = -1 and False = 0.
using VbBool = std::int16_t;
inline constexpr VbBool kTrue = -1;
inline constexpr VbBool kFalse = 0;

// A region the game holds on to; empty optional = none (handle 0).
using RegionHandle = std::optional<plat::Region>;

// Flags and values of the game cycle.
struct CycleState {
  std::int32_t StartX = 0;  // ship's start column from the command line; 0 = none
  VbBool Paused = kFalse;
  VbBool BossActive = kFalse;
  VbBool BossDefeated = kFalse;
  VbBool PlayerInvincible = kFalse;
  RegionHandle BGRegion;  // copy of the scenery window's outline
  std::int32_t BossStopX = 0;  // twips: the boss's entry slide ends below it
  // Live across all stages of one run.
  std::array<std::int32_t, 3> BurstX{546, 562, 580};  // scenery burst spots, pixels
  VbBool Bursting = kFalse;
  std::int32_t BurstNo = 0;
};

// The ship's record; positions in twips.
struct PlayerRecord {
  float PlayerX = 0;            // Left of the ship window
  float PlayerY = 0;            // Top of the ship window
  std::int32_t PlayerMaxX = 0;  // largest PlayerX (32-bit: wide screens work)
  std::int32_t PlayerMaxY = 0;  // largest PlayerY
  std::int32_t PlayerMinY = 0;  // smallest PlayerY
  float PlayerStep = 0;         // movement per frame (half a pixel)
  VbBool PlayerHit = kFalse;    // hit this frame; movement suspended
  RegionHandle PlayerRegion;    // the ship's outline, window pixels
  std::int32_t PlayerLives = 0;
  std::int32_t PlayerDeadFrames = 0;  // 999 = game over
};

extern CycleState Cycle;
extern PlayerRecord Player;

}  // namespace zb
