// The popup menu of the ship and the lamps.
#pragma once

namespace zb {

// Opens the menu (version information, a separator, the end) at the pointer
// and carries out the choice.
void ShowPopupMenu();
// The version dialog, modal.
void ShowVersionDialog();
// Closes the game's windows and ends the program with status 0.
void EndProgram();

}  // namespace zb
