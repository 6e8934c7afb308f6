// The 50 ms frame loop of a stage, and the parts of one frame for its tests.
#pragma once

#include <cstdint>
#include <optional>

namespace zb {

// How a stage ended.
enum class StageEnd { kWin, kGameOver };

// Runs frames until the boss is defeated or the game is over.
StageEnd RunFrameLoop();

// Forgets which of ESC and HOME were held: the next poll that sees one down
// counts as a press. Done when a stage's frame loop starts.
void ResetFrameKeys();

// One frame without its pacing: HOME, ESC, then (unless paused) the stage's
// steps up to and including the frame's yield. Returns how the stage ended,
// or nothing when it goes on.
std::optional<StageEnd> RunOneFrame();

// Waits out what is left of the 50 ms frame that began at clock reading t0;
// a frame that took longer is not made up.
void PaceFrame(std::uint32_t t0);

// The frame's burst step: runs the current burst, or starts a scenery or
// boss burst.
void RunBurstStep();

}  // namespace zb
