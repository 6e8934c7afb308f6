// Particle sprays from the scenery's vents and the boss.
#pragma once

#include <array>
#include <cstdint>

#include "game/base/state.h"

namespace zb {

struct ParticleRecord {
  double originX = 0;  // burst point, twips
  double originY = 0;
  double x = 0;
  double y = 0;
  double t = 0;      // flight time, +0.15 per frame
  double speed = 0;  // twips per unit of t
  bool active = false;
  std::int32_t angle = 0;  // degrees from straight down towards the right
  std::int32_t life = 0;
  std::int32_t decay = 0;
};

// The bursts: the particles written by this part, the burst that runs and
// the next burst's number written by the frame loop.
struct BurstsState {
  std::array<ParticleRecord, 21> particles;
  bool running = false;
  std::int32_t number = 0;  // 0..2: which vent, or which of the boss's spray spots
};

extern BurstsState Bursts;

void StartBurst(double x, double y, int kind);
void ArmParticle(int slot, double x, double y, double angle);
bool AdvanceBurst();

// At the set-up: the particles' window over the whole screen, hidden.
void PrepareParticleWindow();
// At the set-up: no particle in flight.
void FreeParticles();

}  // namespace zb
