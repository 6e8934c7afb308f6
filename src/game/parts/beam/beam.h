// The ship's beam.
#pragma once

namespace zb {

void UpdateShots();
int CheckShotHit(float x, float y);

}  // namespace zb
