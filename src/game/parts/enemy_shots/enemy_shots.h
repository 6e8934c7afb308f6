// The enemies' shots.
#pragma once

#include <array>
#include <cstdint>

namespace zb {

struct EnemyShotRecord {
  float x = 0;   // left of the shot's square, twips
  float y = 0;   // top, twips
  float vx = 0;  // twips per frame
  float vy = 0;
  std::uint8_t active = 0;  // 1 in flight
};

// The shots in flight, written by this part.
struct EnemyShotsState {
  std::array<EnemyShotRecord, 6> slots;
  std::uint8_t lastSlot = 0;  // slots 0..lastSlot are in play
};

extern EnemyShotsState EnemyShots;

void FireEnemyShot(std::int16_t& i);
void MoveEnemyShots();
bool EnemyShotHitsShip(float x, float y);

// At the set-up: the shots' window over the whole screen, hidden.
void PrepareEnemyShotWindow();
// At the set-up: no shot in flight.
void FreeEnemyShots();

}  // namespace zb
