// Game state shared across the game's parts: the run, the ship, the boss and
// the enemies.
// Each record has one owner, the part that sets it up and changes it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/region.h"

namespace zb {

// A region the game holds on to; empty optional = none (handle 0).
using RegionHandle = std::optional<plat::Region>;

// The run: written by the entry and the game cycle.
struct GameState {
  std::int32_t startColumn = 0;  // the ship's start column from the command line; 0 = none
  bool paused = false;           // Esc: the frame loop stands still
};

// The ship, written by the ship's part (the beam, the bursts and the enemy
// shots mark a hit); positions in twips.
struct ShipState {
  float x = 0;            // left of the ship window
  float y = 0;            // top of the ship window
  std::int32_t maxX = 0;  // largest x (32-bit: wide screens work)
  std::int32_t maxY = 0;  // largest y
  std::int32_t minY = 0;  // smallest y
  float step = 0;         // movement per frame (half a pixel)
  bool hit = false;       // hit this frame; movement suspended
  bool invincible = false;
  RegionHandle outline;   // the ship's outline, window pixels
  std::int32_t lives = 0;
  std::int32_t blastCycles = 0;  // cycles of the destruction; kGameOver at its end
  std::uint8_t blastPhase = 0;   // sub-step of the current cycle, 0..2
};

// blastCycles once the destruction is over: the game is lost.
inline constexpr std::int32_t kGameOver = 999;

// The boss, written by the boss's part.
struct BossState {
  bool active = false;         // arrived: the battle is on
  bool defeated = false;       // the wreck stands: the stage is won
  std::int32_t stopX = 0;      // twips: the entry slide ends below it
  std::int32_t strength = 0;   // hits left
  std::int32_t shakeStep = 0;  // step of the current shake
};

// The enemies, written by the enemies' part; the beam and the ship mark an
// enemy hit.
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

extern GameState Game;
extern ShipState Ship;
extern BossState Boss;
extern EnemiesState Enemies;

}  // namespace zb
