// The end of a won stage.
#pragma once

namespace zb {

// The boss's and the ship's last lines, the fly-out and the staff roll.
void RunWinSequence();
// The ship moves right one pixel per 50 ms until its left edge is at 1024.
void FlyOut();

}  // namespace zb
