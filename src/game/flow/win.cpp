// The end of a won stage.
#include "game/flow/win.h"

#include "game/base/game_windows.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/base/waits.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/boss/boss.h"
#include "game/parts/ship/ship_window.h"
#include "game/parts/staff_roll/staff_roll.h"
#include "platform/events.h"

namespace zb {

void FlyOut() {
  const float end = kFieldRightColumn * TPPX;
  for (float x = shipWindow.Left(); x <= end; x += TPPX) {
    shipWindow.SetLeft(x);
    YieldAndWait(50);
  }
}

void RunWinSequence() {
  particlesWindow.SetVisible(false);
  ShowBalloon("やられた・・・", bossWindow.Left(), bossWindow.Top(), TailRight, 1, "");
  YieldAndWait(1000);
  CloseBalloon();
  YieldAndWait(1500);
  ShipSays("やったぜ！！");
  YieldAndWait(1500);
  CloseBalloon();
  FlyOut();
  RunStaffRoll();
}

}  // namespace zb
