// The ship's window: its load, the end of its invincibility, the menu on a
// right click, and its set-up.
#include "game/parts/ship/ship_window.h"

#include "game/base/game_windows.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/skip_on_error.h"
#include "game/base/state.h"
#include "game/parts/menu/popup_menu.h"
#include "platform/numeric.h"

namespace zb {
namespace {

// kInvincibilityMs after a lost life: the ship is vulnerable again.
void OnInvincibilityEnd() {
  shipWindow.invincibilityTimer.SetEnabled(false);
  SetShapePicture(Shape::kShip, shipWindow);
  Ship.invincible = false;
}

void OnShipMouseDown(int button, int x, int y) {
  if (button == plat::kRightButton) ShowPopupMenu();
}

}  // namespace

ShipWindow shipWindow("frmPlayer");

void ShipWindow::OnLoad() {
  invincibilityTimer.id = plat::CreateTimer(id_, [] { OnInvincibilityEnd(); });
  plat::SetTimerInterval(invincibilityTimer.id, kInvincibilityMs);
  plat::SetTimerEnabled(invincibilityTimer.id, false);
  plat::SetMouseDownHandler(id_, [](int button, int x, int y) {
    OnShipMouseDown(button, x, y);
  });
}

void ShipWindow::OnUnload() { invincibilityTimer.id = plat::kNoTimer; }

void ShowShip() {
  SizeWindowToShape(Shape::kShip, shipWindow);
  SetShapePicture(Shape::kShip, shipWindow);
  Ship.outline = CutWindowToShape(Shape::kShip, shipWindow);
  Ship.lives = kStartingLives;
  shipWindow.SetVisible(true);
}

void FillShipRecord() {
  SkipOnError([] { Ship.x = Game.startColumn != 0 ? Game.startColumn * TPPX : 36 * TPPX; });
  SkipOnError([] { Ship.y = ScreenHeightTwips() - 5 * shipWindow.Height(); });
  SkipOnError([] { Ship.maxX = plat::RoundToInt32(ScreenWidthTwips()); });
  SkipOnError([] { Ship.maxY = plat::RoundToInt32(ScreenFullHeightTwips()); });
  SkipOnError([] {
    Ship.minY = plat::RoundToInt32(shipWindow.Height() + (ScreenHeightTwips() - 1485.0));
  });
  Ship.step = 0.5f * TPPX;
  Ship.hit = false;
  Ship.blastCycles = 0;
}

}  // namespace zb
