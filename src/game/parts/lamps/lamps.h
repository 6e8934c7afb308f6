// The lives lamps in the bottom-left corner: lit at the title, darkened one
// by one as lives are lost; a right click on them opens the menu.
#pragma once

namespace zb {

// Both lamps lit, in the bottom-left corner of the work area.
void ShowLamps();
// The lamp of the life just lost goes dark.
void DarkenLamp();

}  // namespace zb
