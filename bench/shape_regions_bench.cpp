// Region work of the game's frame: making the scenery's outline from its
// record, and the ship-against-scenery test the frame loop runs once a frame.
#include <benchmark/benchmark.h>

#include "game/base/game_windows.h"
#include "game/base/random.h"
#include "game/base/shape_table.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/flow/entry.h"
#include "game/flow/frame_loop.h"
#include "game/flow/stage_setup.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/ship/ship.h"
#include "platform/events.h"
#include "platform/sim/sim.h"
#include "sample_times.h"

namespace zb {
namespace {


void BM_SceneryOutline(benchmark::State& state) {
  BuildShapeTable();
  bench::SampleTimes calls;
  for (auto _ : state) {
    calls.Time([] { benchmark::DoNotOptimize(CreateShapeRegion(Shape::kCave)); });
  }
  calls.Report(state);
  state.counters["rects"] = CreateShapeRegion(Shape::kCave).RectCount();
}
BENCHMARK(BM_SceneryOutline)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// A fresh stage, the ship at its start in open air: the test finds no hit,
// as in most frames of a game.
void BM_ShipAgainstScenery(benchmark::State& state) {
  sim::Reset();
  UnloadAllWindows();
  BuildShapeTable();
  BuildBalloonShapes();
  SeedRandom(7);
  SetUpStage();
  ResetFrameKeys();
  Ship.x = 100 * 15;
  bench::SampleTimes frames;
  for (auto _ : state) {
    plat::Sleep(50);  // the frame's wait: the test's yield finds the clock moved on
    frames.Time([] { benchmark::DoNotOptimize(CheckShipHitsScenery()); });
  }
  if (Ship.hit) state.SkipWithError("the ship hit the scenery: not the common case");
  frames.Report(state);
  UnloadAllWindows();
}
BENCHMARK(BM_ShipAgainstScenery)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace
}  // namespace zb
