// The lives lamps: a window with two labels.
#include "game/parts/lamps/lamps.h"

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/parts/menu/popup_menu.h"

namespace zb {
namespace {

constexpr plat::Color kLampLit = plat::RGB(0, 255, 0);

void OnLampMouseDown(int index, int button, int x, int y) {
  if (button == plat::kRightButton) ShowPopupMenu();
}

}  // namespace

LampsWindow lampsWindow("frmShe");

LampsWindow::LampsWindow(std::string name) : Window(std::move(name)) { SetSpriteFocusTarget(*this); }

void LampsWindow::OnLoad() {
  plat::SetPicture(id_, ShapePicture(Shape::kLamps));
  // Two lamps of 180 x 225 twips: lamps[0] at (0, 0), lamps[1] at (195, -15).
  const double lefts[2] = {0, 195};
  const double tops[2] = {0, -15};
  for (int i = 0; i < 2; ++i) {
    lamps[i].id = plat::CreateLabel(id_, "Label1");
    plat::SetWindowRect(lamps[i].id, lefts[i], tops[i], 180, 225);
    plat::SetVisible(lamps[i].id, true);
    plat::SetMouseDownHandler(lamps[i].id, [i](int button, int x, int y) {
      OnLampMouseDown(i, button, x, y);
    });
  }
}

void LampsWindow::OnUnload() {
  for (auto& label : lamps) label.id = plat::kNoWindow;
}

void ShowLamps() {
  SizeWindowToShape(Shape::kLamps, lampsWindow);
  CutWindowToShape(Shape::kLamps, lampsWindow);
  lampsWindow.lamps[0].SetBackColor(kLampLit);
  lampsWindow.lamps[1].SetBackColor(kLampLit);
  lampsWindow.Move(0, ScreenHeightTwips() - lampsWindow.Height());
  lampsWindow.SetVisible(true);
}

void DarkenLamp() {
  lampsWindow.Load();  // the lamps exist once their window is loaded
  if (Ship.lives == 2) lampsWindow.lamps[1].SetBackColor(plat::RGB(0, 0, 0));
  if (Ship.lives == 1) lampsWindow.lamps[0].SetBackColor(plat::RGB(0, 0, 0));
}

}  // namespace zb
