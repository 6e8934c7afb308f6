// The ship's beam.
#pragma once

#include <array>
#include <cstdint>

namespace zb {

struct BeamRecord {
  float x = 0;   // left of the beam, twips
  float y = 0;   // top, twips
  float vx = 0;  // twips per step
  std::uint8_t active = 0;
  float limitX = 0;  // the beam is used up when x reaches it
};

// The beams, written by this part; only the first flies.
struct BeamsState {
  std::array<BeamRecord, 3> shots;
};

extern BeamsState Beams;

void UpdateBeam();
int CheckBeamHit(float x, float y);

// At the set-up: beam window i, a green line.
void PrepareBeamWindow(int i);
// At the set-up: no beam in flight.
void FreeBeams();

}  // namespace zb
