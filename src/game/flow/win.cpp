// The boss's entrance and the end of a won stage.
#include "game/base/forms.h"
#include "game/flow/frame_loop.h"
#include "game/flow/game_cycle.h"
#include "game/base/state.h"
#include "game/base/waits.h"
#include "platform/events.h"
#include "game/parts/balloon/balloon.h"
#include "game/base/shaping.h"
#include "game/parts/menu/side_windows.h"

namespace zb {
namespace {

// A line of the ship's, its tail at the ship's nose.
void ShipSays(const char* text) {
  ShowBalloon(text, frmPlayer.Left() + 15 * TPPX, frmPlayer.Top(), TailLeft, 1, "");
}

void YieldAndWait(int ms) {
  plat::DoEvents();
  WaitMs(ms);
}

}  // namespace

void RunBossEntrance() {
  SetShapePicture(7, frmBG);
  Cycle.BGRegion.reset();
  Cycle.BGRegion = CutWindowToShape(7, frmBG);
  YieldAndWait(1000);
  plat::DoEvents();
  ShipSays("うぉ！");
  YieldAndWait(1000);
  CloseBalloon();
  if (!frmBoss.Visible()) {
    frmBoss.SetVisible(true);
    frmBoss.Timer1.SetEnabled(true);
  }
  // The boss's entry timer sets BossActive when it has arrived.
  if (Cycle.BossActive == kFalse) YieldUntil([] { return Cycle.BossActive != kFalse; });
}

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
