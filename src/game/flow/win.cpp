// The end of a won stage.
#include "game/flow/win.h"

#include "game/base/forms.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/base/waits.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/staff_roll/staff_roll.h"
#include "platform/events.h"

namespace zb {

void FlyOut() {
  const float end = 1024 * TPPX;
  for (float x = frmPlayer.Left(); x <= end; x += TPPX) {
    frmPlayer.SetLeft(x);
    YieldAndWait(50);
  }
}

void RunWinSequence() {
  frmDot.SetVisible(false);
  ShowBalloon("やられた・・・", frmBoss.Left(), frmBoss.Top(), TailRight, 1, "");
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
