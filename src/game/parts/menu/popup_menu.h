// The popup menu of the ship and the lamps.
#pragma once

namespace zb {

// Opens the popup menu mpop at the pointer and carries out the choice.
void ShowPopupMenu();
void frmMenu_mver_Click();
void frmMenu_mend_Click();

}  // namespace zb
