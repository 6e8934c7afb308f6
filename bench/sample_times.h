// Times of single runs of the measured code, kept so that a benchmark can
// report their median and 99th percentile instead of only the mean.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

namespace zb::bench {

// The game's frame: every figure is also given as a share of it.
inline constexpr double kFrameMicros = 50'000;

class SampleTimes {
 public:
  // Runs `work` once and keeps how long it took.
  template <typename Work>
  void Time(Work&& work) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    const auto t1 = std::chrono::steady_clock::now();
    micros_.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
  }

  // Sets the counters p50_us, p99_us and frame_pct (the median's share of
  // the 50 ms frame) on the benchmark's row.
  void Report(benchmark::State& state) {
    if (micros_.empty()) return;
    std::sort(micros_.begin(), micros_.end());
    const double median = Quantile(0.50), p99 = Quantile(0.99);
    state.counters["p50_us"] = median;
    state.counters["p99_us"] = p99;
    state.counters["frame_pct"] = 100 * median / kFrameMicros;
    state.counters["samples"] = static_cast<double>(micros_.size());
  }

 private:
  // The nearest-rank quantile of the sorted samples.
  double Quantile(double q) const {
    const auto rank = static_cast<std::size_t>(q * static_cast<double>(micros_.size() - 1) + 0.5);
    return micros_[std::min(rank, micros_.size() - 1)];
  }
  std::vector<double> micros_;
};

}  // namespace zb::bench
