// The ship's beam: firing with Space, flight, range, and what it hits.
#include "game/parts/beam/beam.h"

#include <cstdint>

#include "game/base/game_windows.h"
#include "game/base/screen_metrics.h"
#include "game/base/state.h"
#include "game/parts/boss/boss.h"
#include "game/parts/ship/ship_window.h"
#include "platform/events.h"
#include "platform/keys.h"
#include "platform/numeric.h"

namespace zb {

BeamsState Beams;

namespace {

constexpr float kStepPixels = 8;      // flight per step
constexpr float kRangePixels = 128;   // beyond the ship's width
constexpr float kReachPixels = 32;    // the stretch ahead of the beam that hits

// The beam starts at the ship's left edge, halfway down the ship.
void FireBeam(BeamRecord& shot) {
  shot.active = 1;
  shot.x = Ship.x;
  const std::int32_t halfHeight = plat::IntDiv(shipWindow.Height(), 2);
  shot.y = plat::Single(static_cast<double>(Ship.y) + halfHeight);
  shot.vx = kStepPixels * TPPX;
  shot.limitX = shipWindow.Width() + shot.x + kRangePixels * TPPX;
}

void RetireBeam(BeamRecord& shot) {
  shot.active = 0;
  beamWindows[0].SetVisible(false);
}

// The window is drawn where the beam was; the hit test looks where it goes.
void StepBeam(BeamRecord& shot) {
  beamWindows[0].Move(shot.x, shot.y);
  shot.x = shot.x + shot.vx;
  if (!beamWindows[0].Visible()) beamWindows[0].SetVisible(true);
  if (shot.x >= shot.limitX || shot.x >= ScreenWidthTwips()) RetireBeam(shot);
  if (CheckBeamHit(shot.x, shot.y) == 1) RetireBeam(shot);
}

// The boss's core: a band 7..21 pixels ahead of the beam and 38..43 pixels
// below the boss's top, both bounds exclusive.
bool BeamHitsCore(float x, float y) {
  const float left = bossWindow.Left();
  const float top = bossWindow.Top();
  return left + 7 * TPPX > x && left + 11 * TPPX < x + kReachPixels * TPPX &&
         static_cast<float>(top + 38 * TPPY) < y && static_cast<float>(top + 43 * TPPY) > y;
}

// An enemy is hit when its left edge lies in the 32 pixels ahead of the beam
// and the beam's row lies strictly inside the enemy's height.
bool BeamHitsEnemy(int i, float x, float y) {
  const EnemyRecord& enemy = Enemies.slots[i];
  return enemy.state == 1 && enemy.x > x && enemy.x < x + kReachPixels * TPPX &&
         enemy.y < y && static_cast<float>(enemy.y + enemyWindows[i].Height()) > y;
}

}  // namespace

void UpdateBeam() {
  BeamRecord& shot = Beams.shots[0];
  if (plat::GetAsyncKeyState(plat::VK_SPACE) != 0) {
    plat::GetAsyncKeyState(plat::VK_SPACE);
    plat::DoEvents();
    if (shot.active == 0) {
      FireBeam(shot);
      StepBeam(shot);
    }
  }
  if (shot.active == 1) StepBeam(shot);
}

int CheckBeamHit(float x, float y) {
  if (Boss.active) {
    return BeamHitsCore(x, y) ? HitBoss() : 0;
  }
  int result = 0;
  const int last = Enemies.lastSlot;
  for (int i = 0; i <= last; ++i) {
    if (BeamHitsEnemy(i, x, y)) {
      Enemies.slots[i].state = 2;
      result = 1;
    }
  }
  return result;
}

// A beam is a green line 63 x 1 pixels.
void PrepareBeamWindow(int i) {
  beamWindows[i].SetWidth(63 * TPPX);
  beamWindows[i].SetHeight(1 * TPPY);
  beamWindows[i].SetBackColor(plat::RGB(0, 255, 0));
}

// A beam still flying at the end of the last game does not fly on into this
// one.
void FreeBeams() {
  for (auto& shot : Beams.shots) shot.active = 0;
}

}  // namespace zb
