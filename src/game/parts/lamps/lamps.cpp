// The lives lamps: a window with two labels.
#include "game/parts/lamps/lamps.h"

#include "game/base/forms.h"
#include "game/base/pictures.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/parts/menu/popup_menu.h"

namespace zb {
namespace {

constexpr plat::Color kLampLit = plat::RGB(0, 255, 0);

void frmShe_Label1_MouseDown(int index, int button, int x, int y) {
  if (button == plat::kRightButton) ShowPopupMenu();
}

}  // namespace

void SheForm::OnLoad() {
  plat::SetPicture(id_, ShapePicture(0));
  // Two lamps: Label1(0) at (0, 0) and Label1(1) at (195, -15), 180 x 225.
  const double lefts[2] = {0, 195};
  const double tops[2] = {0, -15};
  for (int i = 0; i < 2; ++i) {
    Label1[i].id = plat::CreateLabel(id_, "Label1");
    plat::SetWindowRect(Label1[i].id, lefts[i], tops[i], 180, 225);
    plat::SetVisible(Label1[i].id, true);
    plat::SetMouseDownHandler(Label1[i].id, [i](int button, int x, int y) {
      frmShe_Label1_MouseDown(i, button, x, y);
    });
  }
}

void SheForm::OnUnload() {
  for (auto& label : Label1) label.id = plat::kNoWindow;
}

void ShowLamps() {
  SizeWindowToShape(0, frmShe);
  CutWindowToShape(0, frmShe);
  frmShe.Label1[0].SetBackColor(kLampLit);
  frmShe.Label1[1].SetBackColor(kLampLit);
  frmShe.Move(0, ScreenHeightTwips() - frmShe.Height());
  frmShe.SetVisible(true);
}

void DarkenLamp() {
  frmShe.hWnd();  // the lamps' labels exist once their window is loaded
  if (Player.PlayerLives == 2) frmShe.Label1[1].SetBackColor(plat::RGB(0, 0, 0));
  if (Player.PlayerLives == 1) frmShe.Label1[0].SetBackColor(plat::RGB(0, 0, 0));
}

}  // namespace zb
