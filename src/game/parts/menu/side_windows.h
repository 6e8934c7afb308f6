// The staff roll, the popup menu and the version dialog.
#pragma once

namespace zb {

void RunStaffRoll();
// Opens the popup menu mpop at the pointer and carries out the choice.
void ShowPopupMenu();
void frmMenu_mver_Click();
void frmMenu_mend_Click();

}  // namespace zb
