// The boss's entrance and the end of a won stage.
#pragma once

namespace zb {

// Past column 912: the scenery's second picture, "うぉ！", the boss sent in,
// and a wait until it has arrived.
void RunBossEntrance();
// The boss's and the ship's last lines, the fly-out and the staff roll.
void RunWinSequence();
// The ship moves right one pixel per 50 ms until its left edge is at 1024.
void FlyOut();

}  // namespace zb
