// The boss: its core, the entry slide with the taunt, the reaction to a hit,
// the shake, and the wreck that replaces it once its strength is gone.
#include "game/parts/boss/boss.h"

#include <array>

#include "game/parts/enemies/enemies.h"
#include "game/base/forms.h"
#include "game/flow/frame_loop.h"
#include "game/base/state.h"
#include "game/base/handlers.h"
#include "platform/events.h"
#include "game/parts/balloon/balloon.h"
#include "game/base/shaping.h"

namespace zb {
namespace {

constexpr int kCoreShape = 5;
constexpr int kWreckShape = 9;
constexpr std::int32_t kFullPower = 10;
constexpr int kArrivalPauseMs = 2000;
constexpr plat::Color kCoreGreen = plat::RGB(0, 255, 0);
constexpr plat::Color kCoreFlash = plat::RGB(255, 255, 255);

// How far the boss moves, in pixels, at each step of a shake; the last step
// ends the shake where it started.
constexpr std::array<int, 7> kShakeSteps{-3, 2, 2, -3, 2, 2, -2};

// The boss has slid in: it taunts the ship, and the battle begins.
void Arrive() {
  frmBoss.Timer1.SetEnabled(false);
  ShowBalloon("生きて帰れるかな？！", frmBoss.Left(), frmBoss.Top() + 20 * TPPY, TailRight, 1, "");
  plat::DoEvents();
  plat::Sleep(kArrivalPauseMs);
  CloseBalloon();
  frmBoss.nPower = kFullPower;
  Cycle.BossActive = kTrue;
  Cycle.BossDefeated = kFalse;
}

}  // namespace

plat::Color CoreColor(std::int32_t power) {
  if (power >= 8 && power <= 10) return kCoreGreen;
  if (power >= 5 && power <= 7) return plat::RGB(252, 236, 128);
  if (power >= 0 && power <= 4) return plat::RGB(255, 0, 0);
  return plat::RGB(0, 0, 0);
}

void frmBoss_Form_Load() {
  frmBoss.CT.Move(0, 0);
  SizeWindowToShape(kCoreShape, frmBoss.CT);
  CutWindowToShape(kCoreShape, frmBoss.CT);
  frmBoss.CT.SetBackColor(kCoreGreen);
}

// Entry slide: one pixel left per tick until the Left falls below BossStopX.
void frmBoss_Timer1_Timer() {
  frmBoss.SetLeft(frmBoss.Left() - TPPX);
  if (static_cast<double>(frmBoss.Left()) < Cycle.BossStopX) Arrive();
  plat::DoEvents();
}

// 100 ms after the latest hit: shake (unless the strength is gone) and show
// the strength in the core's colour.
void frmBoss_Timer2_Timer() {
  frmBoss.Timer2.SetInterval(0);
  if (frmBoss.nPower != 0) {
    frmBoss.nBururu = 0;
    frmBoss.Timer3.SetEnabled(true);
  }
  frmBoss.CT.SetBackColor(CoreColor(frmBoss.nPower));
  plat::DoEvents();
}

void frmBoss_Timer3_Timer() {
  const std::int32_t step = frmBoss.nBururu;
  if (step >= 0 && step < static_cast<std::int32_t>(kShakeSteps.size())) {
    frmBoss.SetLeft(frmBoss.Left() + kShakeSteps[step] * TPPX);
    if (step == static_cast<std::int32_t>(kShakeSteps.size()) - 1) {
      frmBoss.Timer3.SetEnabled(false);
    }
  }
  frmBoss.nBururu = frmBoss.nBururu + 1;
}

// Made every frame of the battle: at no strength left, the boss gives way to
// its wreck standing on the bottom, and the stage is won.
void BossDefeatCheck() {
  if (frmBoss.nPower >= 1) return;
  frmBoss.hWnd();  // the core exists once the boss is loaded
  frmBoss.CT.SetVisible(false);
  frmBoss.SetVisible(false);
  SizeWindowToShape(kWreckShape, frmBoss);
  frmBoss.SetTop(ScreenHeightTwips() - frmBoss.Height());
  CutWindowToShape(kWreckShape, frmBoss);
  SetShapePicture(kWreckShape, frmBoss);
  frmBoss.SetVisible(true);
  Cycle.BossDefeated = kTrue;
}

}  // namespace zb
