// The game's work in one busy frame on the simulated backend: six enemies,
// six enemy shots and a full burst in flight, the beam fired, the ship
// invincible so that nothing ends the stage. Reports the median and 99th
// percentile of single frames and the median's share of the 50 ms frame.
#include <benchmark/benchmark.h>

#include "game/base/enemy_state.h"
#include "game/base/game_windows.h"
#include "game/base/random.h"
#include "game/base/shape_table.h"
#include "game/base/shot_state.h"
#include "game/base/state.h"
#include "game/flow/frame_loop.h"
#include "game/flow/stage_setup.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/bursts/bursts.h"
#include "platform/events.h"
#include "platform/keys.h"
#include "platform/sim/sim.h"
#include "sample_times.h"

namespace zb {
namespace {

constexpr float kTwips = 15;

// Everything a frame changes in the game's records.
struct Snapshot {
  CycleState cycle;
  PlayerRecord player;
  EnemyState enemies;
  PlayerSideState playerSide;

  static Snapshot Take() { return {Cycle, Player, EnemySide, PlayerSide}; }
  void Restore() const {
    Cycle = cycle;
    Player = player;
    EnemySide = enemies;
    PlayerSide = playerSide;
  }
};

void FillEnemies() {
  for (int i = 0; i < 6; ++i) {
    EnemyRecord& e = EnemySide.Enemies[i];
    e.State = 1;
    e.X = (180 + 40 * i) * kTwips;
    e.Y = (945 + 8 * i) * kTwips;
    e.Pattern = i % 2;
    e.PhaseStep = 0.01f;
    e.PhaseLimit = 40;
    e.Phase = 30;
    e.FireTick = 30;
  }
}

void FillEnemyShots() {
  for (int s = 0; s < 6; ++s) {
    EnemySide.EnemyShots[s] = {(700 + 60 * s) * kTwips, (940 + 10 * s) * kTwips, -37, 3, 1};
  }
}

// A stage in zone A with the combat in full swing.
Snapshot BusyStage() {
  sim::Reset();
  UnloadAllWindows();
  BuildShapeTable();
  BuildBalloonShapes();
  SeedRandom(7);
  SetUpStage();
  ResetFrameKeys();
  Player.PlayerX = 100 * kTwips;
  Cycle.PlayerInvincible = kTrue;
  FillEnemies();
  FillEnemyShots();
  StartBurst(Cycle.BurstX[0] * kTwips, sceneryWindow.Top() + 83 * kTwips, 0);
  Cycle.Bursting = kTrue;
  sim::PressKey(plat::VK_SPACE);
  return Snapshot::Take();
}

// After a frame of the busy stage everything should still be in flight.
bool StillBusy() {
  int alive = 0, shots = 0, particles = 0;
  for (const auto& e : EnemySide.Enemies) alive += e.State == 1;
  for (const auto& s : EnemySide.EnemyShots) shots += s.Active;
  for (const auto& p : PlayerSide.Particles) particles += p.Active == kTrue;
  return alive == 6 && shots == 6 && particles == 18 && PlayerSide.Shots[0].Active == 1;
}

void BM_BusyFrame(benchmark::State& state) {
  const Snapshot busy = BusyStage();
  RunOneFrame();
  if (!StillBusy()) state.SkipWithError("the stage is not busy: the frame measures too little");
  bench::SampleTimes frames;
  for (auto _ : state) {
    state.PauseTiming();
    busy.Restore();
    plat::Sleep(50);  // the frame's wait: the virtual clock moves on
    state.ResumeTiming();
    frames.Time([] { benchmark::DoNotOptimize(RunOneFrame()); });
  }
  frames.Report(state);
  UnloadAllWindows();
}
BENCHMARK(BM_BusyFrame)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
}  // namespace zb
