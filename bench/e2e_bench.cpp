// The optimised program end to end on a private Xvfb: the time from start to
// the mapped title, the CPU it uses while the title waits, and during play
// the frame period (from the ship's moves as the X server reports them; with
// Right held the ship moves one pixel every frame) and the CPU per second,
// on an idle machine and with every core kept busy by a CPU hog.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "session.h"

namespace {

using xtest::Clock;
using xtest::Ms;

using bench::Session;

double Quantile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  const auto i = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

void BM_StartToTitle(benchmark::State& state) {
  std::vector<double> ms;
  for (auto _ : state) {
    Session s;
    const std::string why = s.StartServer();
    if (!why.empty()) {
      state.SkipWithError(why.c_str());
      return;
    }
    const Clock::time_point t0 = Clock::now();
    s.StartProgram();
    if (!s.WaitForTitle()) {
      state.SkipWithError("no title within 30 s");
      return;
    }
    ms.push_back(xtest::MsSince(t0));
    state.SetIterationTime(ms.back() / 1000);
  }
  state.counters["median_ms"] = Quantile(ms, 0.5);
  state.counters["max_ms"] = Quantile(ms, 1.0);
}
BENCHMARK(BM_StartToTitle)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_IdleAtTitle(benchmark::State& state) {
  for (auto _ : state) {
    Session s;
    if (!s.StartAtTitle(state)) return;
    std::this_thread::sleep_for(Ms(2000));  // start-up's work done
    const double game0 = xtest::CpuSeconds(s.game->pid());
    const double server0 = xtest::CpuSeconds(s.xvfb->pid());
    const Clock::time_point t0 = Clock::now();
    std::this_thread::sleep_for(Ms(10000));
    const double wall = xtest::MsSince(t0) / 1000;
    const double game1 = xtest::CpuSeconds(s.game->pid());
    const double server1 = xtest::CpuSeconds(s.xvfb->pid());
    if (game0 < 0 || game1 < 0 || !s.game->Running()) {
      state.SkipWithError("the program ended at the title");
      return;
    }
    state.SetIterationTime(wall);
    state.counters["cpu_pct_of_core"] = 100 * (game1 - game0) / wall;
    state.counters["xvfb_cpu_pct"] = 100 * (server1 - server0) / wall;
  }
}
BENCHMARK(BM_IdleAtTitle)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FramePeriodInPlay(benchmark::State& state) {
  constexpr int kFrames = 240;
  const bool loaded = state.range(0) != 0;
  for (auto _ : state) {
    Session s;
    if (!s.StartAtTitle(state)) return;
    std::optional<xtest::Child> hog;
    if (loaded) {
      hog.emplace(std::vector<std::string>{"stress-ng", "--cpu", "0", "--timeout", "120s", "--quiet"},
                  std::vector<std::string>{"PATH=/usr/local/bin:/usr/bin:/bin"},
                  s.dir.path() + "/hog.out", s.dir.path() + "/hog.err");
      std::this_thread::sleep_for(Ms(500));
      if (!hog->Running()) {
        state.SkipWithError("stress-ng did not start (is it installed?)");
        return;
      }
    }
    // Invincible, so that nothing ends the stage while it is measured.
    s.StartInvinciblePlay();
    const std::optional<xtest::Window> ship = s.x->One("frmPlayer");
    if (!ship) {
      state.SkipWithError("no ship");
      return;
    }
    s.x->WatchMoves(ship->id);
    s.x->Key(xtest::key::kRight, true);
    std::this_thread::sleep_for(Ms(300));
    while (s.x->NextMove(Ms(0))) {
    }
    const double cpu0 = xtest::CpuSeconds(s.game->pid());
    const Clock::time_point t0 = Clock::now();
    std::vector<double> periods;
    std::optional<Clock::time_point> last;
    int lastX = -1;
    while (static_cast<int>(periods.size()) < kFrames && xtest::MsSince(t0) < 60000) {
      const std::optional<xtest::XClient::Move> m = s.x->NextMove(Ms(2000));
      if (!m) break;
      if (m->window != ship->id || m->x == lastX) continue;
      if (last) periods.push_back(std::chrono::duration<double, std::milli>(m->at - *last).count());
      last = m->at;
      lastX = m->x;
    }
    const double wall = xtest::MsSince(t0) / 1000;
    const double cpu1 = xtest::CpuSeconds(s.game->pid());
    s.x->Key(xtest::key::kRight, false);
    if (static_cast<int>(periods.size()) < kFrames) {
      state.SkipWithError("the ship stopped moving");
      return;
    }
    state.SetIterationTime(wall);
    state.counters["p50_us"] = 1000 * Quantile(periods, 0.5);
    state.counters["p99_us"] = 1000 * Quantile(periods, 0.99);
    state.counters["samples"] = static_cast<double>(periods.size());
    state.counters["cpu_pct_of_core"] = 100 * (cpu1 - cpu0) / wall;
  }
}
BENCHMARK(BM_FramePeriodInPlay)
    ->ArgName("cores_busy")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
