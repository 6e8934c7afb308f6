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

#include "e2e/harness.h"

#ifndef ZB_PROGRAM
#error "ZB_PROGRAM names the program measured"
#endif

namespace {

using e2e::Clock;
using e2e::Ms;

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
  e2e::WaitUntil([&] { return (now = ReadStats(path)).ms > before.ms; }, Ms(2000), Ms(5));
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
void PlayScript(e2e::XConn& x, double seconds) {
  struct Move {
    std::uint32_t key;
    int ms;
  };
  const Move moves[] = {{e2e::key::kRight, 1500}, {e2e::key::kUp, 400}, {e2e::key::kLeft, 600},
                        {e2e::key::kDown, 400},   {e2e::key::kRight, 800}, {e2e::key::kDown, 300},
                        {e2e::key::kUp, 300}};
  const Clock::time_point start = Clock::now();
  for (std::size_t i = 0; e2e::MsSince(start) < seconds * 1000; ++i) {
    const Move& m = moves[i % std::size(moves)];
    x.Key(m.key, true);
    for (int held = 0; held < m.ms; held += 100) {
      if (held % 300 == 0) x.Tap(e2e::key::kSpace, Ms(20));
      std::this_thread::sleep_for(Ms(80));
    }
    x.Key(m.key, false);
  }
}

void BM_ScriptedMinute(benchmark::State& state) {
  for (auto _ : state) {
    e2e::TempDir dir;
    const std::string stats = dir.path() + "/stats";
    setenv("ZEMBRANT_STATS", stats.c_str(), 1);
    e2e::Xvfb xvfb(1280, 1024, dir.path());
    if (xvfb.display().empty()) {
      state.SkipWithError(xvfb.error().c_str());
      return;
    }
    e2e::XConn x(xvfb.display());
    e2e::Program game(ZB_PROGRAM, xvfb.display(), {}, dir.path());
    unsetenv("ZEMBRANT_STATS");
    if (!e2e::WaitUntil([&] { return e2e::WaitingTitle(x.Mapped()).has_value() || !game.Running(); }, Ms(30000)) ||
        !game.Running()) {
      state.SkipWithError("no title within 30 s");
      return;
    }

    // The title waiting.
    std::this_thread::sleep_for(Ms(2000));
    const Stats title0 = FreshStats(stats);
    std::this_thread::sleep_for(Ms(5000));
    const Stats title1 = FreshStats(stats);

    // Play, invincible.
    x.Tap(e2e::key::kSpace, Ms(60));
    x.WaitFor("frmL", Ms(10000));
    e2e::ShipMoves(x, Ms(10000));
    x.Tap(e2e::key::kHome);  // once the stage runs
    const Stats play0 = FreshStats(stats);
    const double cpu0 = e2e::CpuSeconds(game.pid());
    PlayScript(x, kPlaySeconds);
    const Stats play1 = FreshStats(stats);
    const double cpu1 = e2e::CpuSeconds(game.pid());
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
