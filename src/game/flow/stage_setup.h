// Putting every sprite window and the game state into their start-of-stage
// condition.
#pragma once

namespace zb {

// Run at every title. Each step is skipped silently if it fails; a window
// that cannot be shaped still ends the program.
void SetUpStage();

}  // namespace zb
