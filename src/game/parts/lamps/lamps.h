// The lives lamps in the bottom-left corner: lit at the title, darkened one
// by one as lives are lost; a right click on them opens the menu.
#pragma once

#include <array>

#include "game/base/window_model.h"

namespace zb {

// The lives lamps' window: two labels on a small picture, bottom left. A
// click on any sprite hands the keyboard focus on to it.
class LampsWindow : public Window {
 public:
  explicit LampsWindow(std::string name);
  std::array<Control, 2> lamps;

 protected:
  void OnLoad() override;
  void OnUnload() override;
};

extern LampsWindow lampsWindow;

// Both lamps lit, in the bottom-left corner of the work area.
void ShowLamps();
// The lamp of the life just lost goes dark.
void DarkenLamp();

}  // namespace zb
