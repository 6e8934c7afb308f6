// The optimised program over a scripted minute of play on a private Xvfb:
// its peak resident memory, and the X requests it sends per 50 ms frame on
// its two connections (Qt's and the keyboard's), as the program counts them
// itself with ZEMBRANT_STATS, and the events Qt's connection receives per
// frame; also the requests per second while the title waits. The ship is made invincible so that the minute is all play.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "session.h"

namespace {

using bench::Session;
using xtest::Clock;
using xtest::Ms;

constexpr double kFrameMs = 50;
constexpr double kPlaySeconds = 60;

// What the program last wrote to its statistics file.
struct Stats {
  double ms = 0;
  double yields = 0;
  double qtRequests = 0;
  double keyRequests = 0;
  double qtEvents = 0;
};

Stats ReadStats(const std::string& path) {
  std::ifstream f(path);
  std::map<std::string, double> v;
  std::string name;
  double value = 0;
  while (f >> name >> value) v[name] = value;
  return {v["ms"], v["yields"], v["qt_requests"], v["key_requests"], v["qt_events"]};
}

// The stats are written a few times a second while the program yields:
// waits for a fresh line, then returns it.
Stats FreshStats(const std::string& path) {
  const Stats before = ReadStats(path);
  Stats now = before;
  xtest::WaitUntil([&] { return (now = ReadStats(path)).ms > before.ms; }, Ms(2000), Ms(5));
  return now;
}

long PeakResidentKiB(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(f, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// A minute of steering and firing, the same every run: forward, up, back,
// down, with a shot every few tenths of a second.
void PlayScript(xtest::XClient& x, double seconds) {
  struct Move {
    std::uint32_t key;
    int ms;
  };
  const Move moves[] = {{xtest::key::kRight, 1500}, {xtest::key::kUp, 400}, {xtest::key::kLeft, 600},
                        {xtest::key::kDown, 400},   {xtest::key::kRight, 800}, {xtest::key::kDown, 300},
                        {xtest::key::kUp, 300}};
  const Clock::time_point start = Clock::now();
  for (std::size_t i = 0; xtest::MsSince(start) < seconds * 1000; ++i) {
    const Move& m = moves[i % std::size(moves)];
    x.Key(m.key, true);
    for (int held = 0; held < m.ms; held += 100) {
      if (held % 300 == 0) x.Tap(xtest::key::kSpace, Ms(20));
      std::this_thread::sleep_for(Ms(80));
    }
    x.Key(m.key, false);
  }
}

void BM_ScriptedMinute(benchmark::State& state) {
  for (auto _ : state) {
    Session s;
    const std::string stats = s.dir.path() + "/stats";
    if (!s.StartAtTitle(state, {"ZEMBRANT_STATS=" + stats})) return;
    xtest::XClient& x = *s.x;
    xtest::Program& game = *s.game;

    // The title waiting.
    std::this_thread::sleep_for(Ms(2000));
    const Stats title0 = FreshStats(stats);
    std::this_thread::sleep_for(Ms(5000));
    const Stats title1 = FreshStats(stats);

    // Play, invincible.
    s.StartInvinciblePlay();
    const Stats play0 = FreshStats(stats);
    const double cpu0 = xtest::CpuSeconds(game.pid());
    PlayScript(x, kPlaySeconds);
    const Stats play1 = FreshStats(stats);
    const double cpu1 = xtest::CpuSeconds(game.pid());
    const long peakKiB = PeakResidentKiB(game.pid());
    if (!game.Running()) {
      state.SkipWithError(("the program ended: " + game.Stderr()).c_str());
      return;
    }
    game.child().Stop();

    const double titleS = (title1.ms - title0.ms) / 1000;
    const double playMs = play1.ms - play0.ms;
    const double frames = playMs / kFrameMs;
    state.SetIterationTime(playMs / 1000);
    state.counters["peak_rss_mib"] = peakKiB / 1024.0;
    state.counters["x_req_per_frame"] =
        (play1.qtRequests - play0.qtRequests + play1.keyRequests - play0.keyRequests) / frames;
    state.counters["qt_req_per_frame"] = (play1.qtRequests - play0.qtRequests) / frames;
    state.counters["key_req_per_frame"] = (play1.keyRequests - play0.keyRequests) / frames;
    state.counters["qt_events_per_frame"] = (play1.qtEvents - play0.qtEvents) / frames;
    state.counters["yields_per_frame"] = (play1.yields - play0.yields) / frames;
    state.counters["play_cpu_pct_of_core"] = 100 * (cpu1 - cpu0) / (playMs / 1000);
    state.counters["title_x_req_per_s"] =
        (title1.qtRequests - title0.qtRequests + title1.keyRequests - title0.keyRequests) / titleS;
  }
}
BENCHMARK(BM_ScriptedMinute)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
