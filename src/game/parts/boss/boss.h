// The boss, all of it: placed at the set-up, sent in past the trigger
// column, hit on its core by the beam, spraying particles, and defeated.
#pragma once

#include <array>
#include <cstdint>

#include "game/base/game_windows.h"
#include "platform/types.h"

namespace zb {

// The boss comes when the ship's column (pixels) passes this one.
inline constexpr std::int32_t kBossTriggerColumn = 912;

// How far the boss moves, in pixels, at each step of the shake after a hit;
// the last step ends the shake where it started. A shake under way when the
// last hit lands goes on with the wreck.
inline constexpr std::array<int, 7> kBossShakeSteps{-3, 2, 2, -3, 2, 2, -2};

// The boss, with its core and its three timers.
class BossWindow : public SpriteWindow {
 public:
  using SpriteWindow::SpriteWindow;
  Control core;
  Timer slideTimer;  // the entry slide, one pixel a tick
  Timer flashTimer;  // ends the core's flash 100 ms after the latest hit
  Timer shakeTimer;  // the shake after a hit

 protected:
  void OnLoad() override;
  void OnUnload() override;
};

extern BossWindow bossWindow;

// At the set-up: off-screen right, standing on the bottom, hidden.
void PlaceBoss();
// At the set-up, a step of its own: a placement that fails leaves no boss of
// the last game active or defeated.
void ResetBossFlags();
// The scenery closes behind the ship, "うぉ！", the boss sent in, and a wait
// until it has arrived.
void RunBossEntrance();
// The beam hit the core: one strength less, the core flashes, and the
// reaction follows 100 ms after the latest hit. Returns 1.
int HitBoss();
// A spray from the boss, from its mouth or (every third burst) its top.
void StartBossBurst();
// At no strength left, the boss gives way to its wreck and the stage is won.
void BossDefeatCheck();

// Green for 8..10 hits left, pale yellow for 5..7, red for 0..4, black for
// anything else.
plat::Color CoreColor(std::int32_t power);

}  // namespace zb
