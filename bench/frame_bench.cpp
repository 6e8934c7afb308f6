// The game's work in one busy frame on the simulated backend: six enemies,
// six enemy shots and a full burst in flight, the beam fired, the ship
// invincible so that nothing ends the stage. Reports the median and 99th
// percentile of single frames and the median's share of the 50 ms frame.
#include <benchmark/benchmark.h>

#include "game/base/game_windows.h"
#include "game/base/random.h"
#include "game/base/shape_table.h"
#include "game/base/state.h"
#include "game/flow/entry.h"
#include "game/flow/frame_loop.h"
#include "game/flow/stage_setup.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/beam/beam.h"
#include "game/parts/bursts/bursts.h"
#include "game/parts/enemy_shots/enemy_shots.h"
#include "game/parts/scenery/scenery.h"
#include "platform/events.h"
#include "platform/keys.h"
#include "platform/sim/sim.h"
#include "sample_times.h"

namespace zb {
namespace {

constexpr float kTwips = 15;

// Everything a frame changes in the game's records.
struct Snapshot {
  GameState game;
  ShipState ship;
  BossState boss;
  EnemiesState enemies;
  EnemyShotsState enemyShots;
  BeamsState beams;
  BurstsState bursts;
  SceneryState scenery;

  static Snapshot Take() {
    return {Game, Ship, Boss, Enemies, EnemyShots, Beams, Bursts, Scenery};
  }
  void Restore() const {
    Game = game;
    Ship = ship;
    Boss = boss;
    Enemies = enemies;
    EnemyShots = enemyShots;
    Beams = beams;
    Bursts = bursts;
    Scenery = scenery;
  }
};

void FillEnemies() {
  for (int i = 0; i < 6; ++i) {
    EnemyRecord& e = Enemies.slots[i];
    e.state = 1;
    e.x = (180 + 40 * i) * kTwips;
    e.y = (945 + 8 * i) * kTwips;
    e.pattern = i % 2;
    e.phaseStep = 0.01f;
    e.phaseLimit = 40;
    e.phase = 30;
    e.fireTick = 30;
  }
}

void FillEnemyShots() {
  for (int s = 0; s < 6; ++s) {
    EnemyShots.slots[s] = {(700 + 60 * s) * kTwips, (940 + 10 * s) * kTwips, -37, 3, 1};
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
  Ship.x = 100 * kTwips;
  Ship.invincible = true;
  FillEnemies();
  FillEnemyShots();
  StartBurst(kVentColumns[0] * kTwips, sceneryWindow.Top() + 83 * kTwips, 0);
  Bursts.running = true;
  sim::PressKey(plat::VK_SPACE);
  return Snapshot::Take();
}

// After a frame of the busy stage everything should still be in flight.
bool StillBusy() {
  int alive = 0, shots = 0, particles = 0;
  for (const auto& e : Enemies.slots) alive += e.state == 1;
  for (const auto& s : EnemyShots.slots) shots += s.active;
  for (const auto& p : Bursts.particles) particles += p.active;
  return alive == 6 && shots == 6 && particles == 18 && Beams.shots[0].active == 1;
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
