// Region operations at the sizes the game uses them: a burst's squares, two
// outlines of a few hundred rectangles met in a collision test, a shot's
// pixel against an outline.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/region.h"

namespace {

using plat::Rect;
using plat::Region;

// About twenty 2 x 2 squares scattered like the particles of a burst.
std::vector<Rect> BurstSquares() {
  std::vector<Rect> squares;
  for (int i = 0; i < 20; ++i) {
    const int x = (i * 37) % 90, y = (i * 53) % 60;
    squares.push_back({x, y, x + 2, y + 2});
  }
  return squares;
}

// A ragged outline `rows` pixels high, one or two spans per row, the way a
// picture's outline table reads: a few hundred rectangles.
Region RaggedOutline(int rows, int seed) {
  std::vector<Rect> rects;
  for (int y = 0; y < rows; ++y) {
    const int left = (y * 7 + seed) % 13;
    const int right = 60 + (y * 11 + seed) % 17;
    if (y % 3 == 0) {
      const int gap = 25 + (y + seed) % 9;
      rects.push_back({left, y, gap, y + 1});
      rects.push_back({gap + 4, y, right, y + 1});
    } else {
      rects.push_back({left, y, right, y + 1});
    }
  }
  return Region::FromRects(rects);
}

void BM_UniteSquares(benchmark::State& state) {
  const std::vector<Rect> squares = BurstSquares();
  for (auto _ : state) {
    Region r;
    for (const Rect& s : squares) r.Unite(s);
    benchmark::DoNotOptimize(r.RectCount());
  }
  state.counters["rects"] = static_cast<double>(squares.size());
}
BENCHMARK(BM_UniteSquares);

void BM_FromRectsSquares(benchmark::State& state) {
  const std::vector<Rect> squares = BurstSquares();
  for (auto _ : state) {
    const Region r = Region::FromRects(squares);
    benchmark::DoNotOptimize(r.RectCount());
  }
  state.counters["rects"] = static_cast<double>(squares.size());
}
BENCHMARK(BM_FromRectsSquares);

void BM_IntersectAndClassify(benchmark::State& state) {
  const Region ship = RaggedOutline(static_cast<int>(state.range(0)), 0);
  Region enemy = RaggedOutline(static_cast<int>(state.range(0)), 5);
  enemy.Offset(20, static_cast<int>(state.range(0)) / 3);
  for (auto _ : state) {
    Region meet = ship;
    meet.Intersect(enemy);
    benchmark::DoNotOptimize(meet.Kind());
  }
  state.counters["rects_a"] = ship.RectCount();
  state.counters["rects_b"] = enemy.RectCount();
}
BENCHMARK(BM_IntersectAndClassify)->Arg(100)->Arg(300);

void BM_OverlapsRect(benchmark::State& state) {
  const Region outline = RaggedOutline(300, 0);
  std::vector<Rect> probes;  // a shot's top-left pixel, inside and out
  for (int i = 0; i < 64; ++i) {
    const int x = (i * 29) % 90, y = (i * 41) % 320;
    probes.push_back({x, y, x + 1, y + 1});
  }
  for (auto _ : state) {
    int hits = 0;
    for (const Rect& p : probes) hits += outline.OverlapsRect(p) ? 1 : 0;
    benchmark::DoNotOptimize(hits);
  }
  state.counters["probes"] = static_cast<double>(probes.size());
  state.counters["rects"] = outline.RectCount();
}
BENCHMARK(BM_OverlapsRect);

}  // namespace
