// The ship's beam.
#pragma once

namespace zb {

void UpdateShots();
int CheckShotHit(float x, float y);

// At the set-up: beam window i, a green line.
void PrepareShotWindow(int i);
// At the set-up: no beam in flight.
void FreeBeams();

}  // namespace zb
