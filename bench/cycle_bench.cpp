// One whole won game in virtual time on the simulated backend, through the
// program's own entry: title, launch, the flight to the boss, the boss's
// entrance, the fight, the win, the fly-out, the staff roll and the title
// again, where the player ends the program from the menu. Reports the real
// time the whole cycle takes.
#include <benchmark/benchmark.h>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/state.h"
#include "game/flow/entry.h"
#include "game/parts/boss/boss.h"
#include "game/parts/lamps/lamps.h"
#include "game/parts/ship/ship_window.h"
#include "platform/keys.h"
#include "platform/sim/sim.h"

namespace zb {
namespace {

constexpr float kTwips = 15;

void Hold(int vk, bool held) {
  if (held != sim::IsKeyHeld(vk)) held ? sim::PressKey(vk) : sim::ReleaseKey(vk);
}

// Invincible from the first frame, then the beam's row kept inside the
// core's band and Space held until the boss falls.
void FightTheBoss() {
  if (!Ship.invincible && !sim::IsKeyHeld(plat::VK_HOME)) {
    sim::ScheduleKey(plat::VK_HOME, sim::Now(), sim::Now() + 10);
  }
  if (!Boss.active) return;
  const float targetY = bossWindow.Top() + 35.5f * kTwips;
  Hold(plat::VK_DOWN, Ship.y < targetY - 20);
  Hold(plat::VK_UP, Ship.y > targetY + 20);
  Hold(plat::VK_SPACE, true);
}

// Space at the first title; at the second, the menu's end command.
int PlayOneWonGame() {
  int titles = 0;
  bool atTitle = false;
  sim::Reset();
  UnloadAllWindows();
  sim::AnswerMenus([](std::span<const plat::MenuItem>) { return 2; });  // "終了"
  sim::SetYieldHook([&] {
    const bool title = bannerWindow.IsLoaded() && bannerWindow.Visible() &&
                       bannerWindow.Picture() == ShapePicture(4);
    if (title && !atTitle && ++titles == 1) {
      sim::ScheduleKey(plat::VK_SPACE, sim::Now() + 100, sim::Now() + 150);
    } else if (title && !atTitle) {
      for (int vk : {plat::VK_UP, plat::VK_DOWN, plat::VK_SPACE}) Hold(vk, false);
      sim::Click(lampsWindow.Id(), plat::kRightButton, 5, 5);
    }
    atTitle = title;
    if (!title && shipWindow.IsLoaded() && shipWindow.Visible()) FightTheBoss();
  });
  const int status = RunGame(913);
  sim::SetYieldHook({});
  return titles == 2 ? status : -1;
}

void BM_WholeWonCycle(benchmark::State& state) {
  for (auto _ : state) {
    if (PlayOneWonGame() != 0) {
      state.SkipWithError("the game did not come back to the title after a win");
      return;
    }
  }
  state.counters["virtual_s"] = static_cast<double>(sim::Elapsed()) / 1000.0;
}
BENCHMARK(BM_WholeWonCycle)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace zb
