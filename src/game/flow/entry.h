// The program's entry: start-up and the game cycle.
#pragma once

#include <cstdint>

namespace zb {

// The width in pixels the whole stage needs on the screen: the boss's right
// edge as it enters, plus one.
inline constexpr int kStageWidthPx = 1061;

// Start-up and the endless game cycle. Returns the exit status when the
// program ends: through the menu's end command (0), or a fatal error shown
// in the message box (1).
int RunGame(std::int32_t startX);

// Unloads every window of the game (end of a test, end of the program).
void UnloadAllWindows();

// Every window unloaded and every record of the game as before the first
// game (the end of a test, the start of the next).
void ResetGameState();

}  // namespace zb
