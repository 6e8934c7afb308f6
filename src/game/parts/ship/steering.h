// Steering the ship with the arrow keys, once per frame.
#pragma once

namespace zb {

int ReadDirectionKeys();
void SteerShip();

}  // namespace zb
