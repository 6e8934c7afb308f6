// A fresh game for the tests on the simulated backend.
#pragma once

namespace zb::test {

// Every window of the game unloaded, every record of the game's state as at
// the program's start, the balloon's shapes to be built again and the frame
// loop's keys forgotten: the one reset of the unit tests and the soak.
void ResetGame();

}  // namespace zb::test
