// The ship's hits, lives and destruction.
#pragma once

namespace zb {

int CheckShipHitsEnemy();
int CheckShipHitsScenery();
void HandleShipHit();

}  // namespace zb
