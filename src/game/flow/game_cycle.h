// The endless game cycle and the sequences it is made of.
#pragma once

namespace zb {

// Title, launch, stage, and after a win the closing lines, the fly-out and
// the staff roll; then the title again. Never returns.
void RunGameCycle();

// The title: lamps lit, a fresh stage, the title window, then the wait for
// Space. `takeFocus`: the lamps window takes the keyboard focus (done once a
// run, so the game's keys do not type into the terminal it was started from).
void ShowTitle(bool takeFocus);
// Waits until Space is held or has been pressed since its last poll (the
// title drops older presses just before it shows); the press that ends the
// wait is discarded.
void WaitForSpace();
// "いくぞ！" beside the ship for a second.
void RunLaunch();

}  // namespace zb
