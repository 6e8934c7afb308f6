// The boss, all of it: its window with the core and three timers, its place
// off-screen at the set-up, the entrance, the entry slide with the taunt, a
// hit on the core and the reaction to it, the shake, its sprays, and the
// wreck that replaces it once its strength is gone.
#include "game/parts/boss/boss.h"

#include <array>

#include "game/base/game_windows.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/base/waits.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/bursts/bursts.h"
#include "game/parts/scenery/scenery.h"
#include "platform/events.h"
#include "platform/numeric.h"

namespace zb {
namespace {

constexpr std::int32_t kFullPower = 10;
constexpr int kArrivalPauseMs = 2000;
constexpr plat::Color kCoreGreen = plat::RGB(0, 255, 0);
constexpr plat::Color kCoreFlash = plat::RGB(255, 255, 255);

// The boss has slid in: it taunts the ship, and the battle begins.
void Arrive() {
  bossWindow.slideTimer.SetEnabled(false);
  ShowBalloon("生きて帰れるかな？！", bossWindow.Left(), bossWindow.Top() + 20 * TPPY, TailRight, 1, "");
  plat::DoEvents();
  plat::Sleep(kArrivalPauseMs);
  CloseBalloon();
  Boss.strength = kFullPower;
  Boss.active = true;
  Boss.defeated = false;
}

// The core: the core shape at the boss's top-left corner, green.
void ShapeCore() {
  bossWindow.core.Move(0, 0);
  SizeWindowToShape(Shape::kCore, bossWindow.core);
  CutWindowToShape(Shape::kCore, bossWindow.core);
  bossWindow.core.SetBackColor(kCoreGreen);
}

// Entry slide: one pixel left per tick until its left edge falls below Boss.stopX.
void OnSlideTick() {
  bossWindow.SetLeft(bossWindow.Left() - TPPX);
  if (static_cast<double>(bossWindow.Left()) < Boss.stopX) Arrive();
  plat::DoEvents();
}

// 100 ms after the latest hit: shake (unless the strength is gone) and show
// the strength in the core's colour.
void OnFlashEnd() {
  bossWindow.flashTimer.SetInterval(0);
  if (Boss.strength != 0) {
    Boss.shakeStep = 0;
    bossWindow.shakeTimer.SetEnabled(true);
  }
  bossWindow.core.SetBackColor(CoreColor(Boss.strength));
  plat::DoEvents();
}

// One step of the shake, 50 ms apart; the last one stops the shake.
void OnShakeTick() {
  const std::int32_t step = Boss.shakeStep;
  if (step >= 0 && step < static_cast<std::int32_t>(kBossShakeSteps.size())) {
    bossWindow.SetLeft(bossWindow.Left() + kBossShakeSteps[step] * TPPX);
    if (step == static_cast<std::int32_t>(kBossShakeSteps.size()) - 1) {
      bossWindow.shakeTimer.SetEnabled(false);
    }
  }
  Boss.shakeStep = Boss.shakeStep + 1;
}

}  // namespace

BossWindow bossWindow("frmBoss");

void BossWindow::OnLoad() {
  SpriteWindow::OnLoad();
  core.id = plat::CreatePictureBox(id_, "CT");
  plat::SetVisible(core.id, true);
  slideTimer.id = plat::CreateTimer(id_, [] { OnSlideTick(); });
  plat::SetTimerEnabled(slideTimer.id, false);
  plat::SetTimerInterval(slideTimer.id, 50);
  flashTimer.id = plat::CreateTimer(id_, [] { OnFlashEnd(); });
  plat::SetTimerInterval(flashTimer.id, 0);
  plat::SetTimerEnabled(flashTimer.id, true);
  shakeTimer.id = plat::CreateTimer(id_, [] { OnShakeTick(); });
  plat::SetTimerEnabled(shakeTimer.id, false);
  plat::SetTimerInterval(shakeTimer.id, 50);
  ShapeCore();
}

void BossWindow::OnUnload() {
  core.id = plat::kNoWindow;
  slideTimer.id = flashTimer.id = shakeTimer.id = plat::kNoTimer;
}

plat::Color CoreColor(std::int32_t power) {
  if (power >= 8 && power <= 10) return kCoreGreen;
  if (power >= 5 && power <= 7) return plat::RGB(252, 236, 128);
  if (power >= 0 && power <= 4) return plat::RGB(255, 0, 0);
  return plat::RGB(0, 0, 0);
}

// Off-screen right, standing on the bottom, hidden.
void PlaceBoss() {
  SizeWindowToShape(Shape::kBoss, bossWindow);
  SetShapePicture(Shape::kBoss, bossWindow);
  CutWindowToShape(Shape::kBoss, bossWindow);
  bossWindow.SetTop(ScreenHeightTwips() - bossWindow.Height());
  bossWindow.SetLeft(kFieldRightColumn * TPPX);
  Boss.stopX = plat::RoundToInt32(bossWindow.Left() - bossWindow.Width());
  bossWindow.SetVisible(false);
}

void ResetBossFlags() {
  Boss.active = false;
  Boss.defeated = false;
}

void RunBossEntrance() {
  CloseSceneryBehind();
  YieldAndWait(1000);
  plat::DoEvents();
  ShipSays("うぉ！");
  YieldAndWait(1000);
  CloseBalloon();
  if (!bossWindow.Visible()) {
    bossWindow.SetVisible(true);
    bossWindow.slideTimer.SetEnabled(true);
  }
  // The slide timer sets Boss.active when the boss has arrived.
  if (!Boss.active) YieldUntil([] { return Boss.active; });
}

int HitBoss() {
  Boss.strength = Boss.strength - 1;
  bossWindow.core.SetBackColor(kCoreFlash);
  bossWindow.flashTimer.SetInterval(100);
  plat::DoEvents();
  return 1;
}

void StartBossBurst() {
  if (Bursts.number == 2) {
    StartBurst(bossWindow.Left() + 13 * TPPX, bossWindow.Top() + 31 * TPPY, 1);
  } else {
    StartBurst(bossWindow.Left(), bossWindow.Top() + 51 * TPPY, 1);
  }
}

// Made every frame of the battle: at no strength left, the boss gives way to
// its wreck standing on the bottom, once, and the stage is won.
void BossDefeatCheck() {
  if (Boss.strength >= 1 || Boss.defeated) return;
  bossWindow.Load();  // the core exists once the boss is loaded
  bossWindow.core.SetVisible(false);
  bossWindow.SetVisible(false);
  SizeWindowToShape(Shape::kWreck, bossWindow);
  bossWindow.SetTop(ScreenHeightTwips() - bossWindow.Height());
  CutWindowToShape(Shape::kWreck, bossWindow);
  SetShapePicture(Shape::kWreck, bossWindow);
  bossWindow.SetVisible(true);
  Boss.defeated = true;
}

}  // namespace zb
