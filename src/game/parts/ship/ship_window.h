// The ship's window and record at the set-up.
#pragma once

namespace zb {

// The ship's picture and outline, three lives, the window shown.
void ShowShip();
// The ship's start position, limits and speed. Each field on its own: a
// limit that cannot be taken from the screen leaves the others filled.
void FillShipRecord();

}  // namespace zb
