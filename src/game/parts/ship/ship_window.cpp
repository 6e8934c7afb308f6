// The ship's and the lamps' window events, and the focus kept on the lamps.
#include "game/base/forms.h"
#include "game/base/state.h"
#include "game/base/handlers.h"
#include "game/base/shaping.h"
#include "game/parts/menu/side_windows.h"

namespace zb {

// About a second after a lost life: the ship is vulnerable again.
void frmPlayer_Timer1_Timer() {
  frmPlayer.Timer1.SetEnabled(false);
  SetShapePicture(10, frmPlayer);
  Cycle.PlayerInvincible = kFalse;
}

void frmPlayer_Form_MouseDown(int button, int x, int y) {
  if (button == plat::kRightButton) ShowPopupMenu();
}

void frmShe_Form_Load() {}

void frmShe_Label1_MouseDown(int index, int button, int x, int y) {
  if (button == plat::kRightButton) ShowPopupMenu();
}

void GiveFocusToShe() { frmShe.SetFocus(); }

}  // namespace zb
