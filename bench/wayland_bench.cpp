// What the program costs the whole system on a Wayland compositor, in one
// run on a headless sway (with its XWayland): 15 s of scripted play with the
// program native on the layer shell, the same through XWayland, then 15 s of
// oneko through XWayland chasing a pointer moved there (XTEST), as a
// yardstick. For each: the CPU of the program (or oneko), sway and
// XWayland. Then, native again
// with the client's protocol log on (WAYLAND_DEBUG), the time from start to
// the title's first buffer and the frame period: with Right held the ship's
// surface moves one pixel a frame.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <linux/input-event-codes.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/launcher.h"
#include "support/processes.h"
#include "support/wayland_seat.h"
#include "support/x_client.h"

namespace {

using xtest::Clock;
using xtest::Ms;

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;
constexpr double kSeconds = 15;
constexpr double kFrameMs = 50;

// The processes of a process group by name ("sway", "Xwayland", ...).
std::map<std::string, std::vector<int>> GroupMembers(int group) {
  std::map<std::string, std::vector<int>> out;
  DIR* d = opendir("/proc");
  if (!d) return out;
  while (dirent* e = readdir(d)) {
    const int pid = std::atoi(e->d_name);
    if (pid <= 0) continue;
    std::ifstream f("/proc/" + std::string(e->d_name) + "/stat");
    std::string line;
    if (!std::getline(f, line)) continue;
    const auto open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    std::string state;
    int ppid = 0, pgrp = 0;
    rest >> state >> ppid >> pgrp;
    if (pgrp == group) out[line.substr(open + 1, close - open - 1)].push_back(pid);
  }
  closedir(d);
  return out;
}

// CPU per named party over a stretch of wall time, in % of one core.
class Bill {
 public:
  void Add(const std::string& party, std::vector<int> pids) { parties_[party] = {std::move(pids), 0}; }
  void Start() {
    for (auto& [name, p] : parties_) p.start = Sum(p.pids);
    t0_ = Clock::now();
  }
  std::map<std::string, double> Pct() const {
    const double wall = xtest::MsSince(t0_) / 1000;
    std::map<std::string, double> out;
    for (const auto& [name, p] : parties_) out[name] = 100 * (Sum(p.pids) - p.start) / wall;
    return out;
  }

 private:
  static double Sum(const std::vector<int>& pids) {
    double s = 0;
    for (int pid : pids) s += std::max(0.0, xtest::CpuSeconds(pid));
    return s;
  }
  struct Party {
    std::vector<int> pids;
    double start;
  };
  std::map<std::string, Party> parties_;
  Clock::time_point t0_;
};

// Keys pressed the same way for the native program (the compositor's seat)
// and through XWayland (XTEST into it).
struct Hands {
  std::function<void(std::uint32_t evdev, bool down)> key;
  void Tap(std::uint32_t k) {
    key(k, true);
    std::this_thread::sleep_for(Ms(40));
    key(k, false);
  }
};

// Space at the title, then Home once the stage runs, then kSeconds of play
// with Right held, firing, and up and down, as the X compositor's bill does.
double Play(Hands& hands) {
  hands.Tap(xtest::evdev::kSpace);
  std::this_thread::sleep_for(Ms(2500));  // the launch balloon, the stage's first frames
  hands.Tap(xtest::evdev::kHome);
  hands.key(xtest::evdev::kRight, true);
  const Clock::time_point t0 = Clock::now();
  for (int i = 0; xtest::MsSince(t0) < kSeconds * 1000; ++i) {
    if (i % 8 == 0) hands.key(xtest::evdev::kSpace, true);
    if (i % 8 == 2) hands.key(xtest::evdev::kSpace, false);
    const std::uint32_t vertical = (i / 20) % 2 ? xtest::evdev::kDown : xtest::evdev::kUp;
    if (i % 20 == 0) hands.key(vertical, true);
    if (i % 20 == 6) hands.key(vertical, false);
    std::this_thread::sleep_until(t0 + Ms(static_cast<int>((i + 1) * kFrameMs)));
  }
  hands.key(xtest::evdev::kRight, false);
  return xtest::MsSince(t0) / 1000;
}

std::uint32_t Keysym(std::uint32_t evdev) {
  switch (evdev) {
    case xtest::evdev::kSpace: return xtest::key::kSpace;
    case xtest::evdev::kHome: return xtest::key::kHome;
    case xtest::evdev::kUp: return xtest::key::kUp;
    case xtest::evdev::kDown: return xtest::key::kDown;
    case xtest::evdev::kRight: return xtest::key::kRight;
    default: return 0;
  }
}

// The compositor's Wayland socket and runtime directory in this process's
// environment, for the test seat to connect with.
void UseCompositor(const xtest::Launcher& sway) {
  for (const std::string& e : sway.WaylandEnvironment()) {
    const auto eq = e.find('=');
    setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
  }
}

// The bench's clock as libwayland's protocol log writes it: microseconds of
// the real-time clock, cut to 32 bits, printed as milliseconds.
double LogClockMs() {
  timespec tp{};
  clock_gettime(CLOCK_REALTIME, &tp);
  const auto us = static_cast<std::uint32_t>(tp.tv_sec * 1000000L + tp.tv_nsec / 1000);
  return us / 1000.0;
}

struct LogFigures {
  double startToTitleMs = -1;
  std::vector<double> periods;  // ms between the ship's one-pixel moves
};

// From the protocol log: when the title's 300 x 48 buffer was made, and
// the periods between moves of the subsurface that moves one pixel right
// most often.
LogFigures ReadLog(const std::string& path, double startMs) {
  LogFigures out;
  std::ifstream f(path);
  const std::regex buffer(R"(^\[\s*(\d+\.\d+)\].*wl_shm_pool@\d+\.create_buffer\(new id wl_buffer@\d+, \d+, 300, 48,)");
  const std::regex move(R"(^\[\s*(\d+\.\d+)\].*wl_subsurface@(\d+)\.set_position\((-?\d+), (-?\d+)\))");
  struct Track {
    double lastMs = -1;
    int lastX = 0;
    std::vector<double> periods;
  };
  std::map<std::string, Track> tracks;
  std::smatch m;
  for (std::string line; std::getline(f, line);) {
    if (out.startToTitleMs < 0 && std::regex_search(line, m, buffer)) {
      double at = std::stod(m[1]) - startMs;
      if (at < 0) at += 4294967.296;  // the 32-bit clock wrapped
      out.startToTitleMs = at;
    } else if (std::regex_search(line, m, move)) {
      Track& t = tracks[m[2]];
      const double at = std::stod(m[1]);
      const int x = std::stoi(m[3]);
      if (t.lastMs >= 0 && x == t.lastX + 1) t.periods.push_back(at - t.lastMs);
      t.lastMs = at;
      t.lastX = x;
    }
  }
  for (auto& [id, t] : tracks) {
    if (t.periods.size() > out.periods.size()) out.periods = std::move(t.periods);
  }
  return out;
}

double Quantile(std::vector<double> v, double q) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5))];
}

void BM_WaylandBill(benchmark::State& state) {
  for (auto _ : state) {
    xtest::TempDir dir;
    std::unique_ptr<xtest::Launcher> sway = xtest::MakeLauncher("sway");
    if (const std::string why = sway->Start({"", dir.path(), kWidth, kHeight, 0x3a6ea5}); !why.empty()) {
      return state.SkipWithError(why.c_str());
    }
    if (const std::string why = sway->WaitReady(Ms(30000)); !why.empty()) return state.SkipWithError(why.c_str());
    const std::map<std::string, std::vector<int>> members = GroupMembers(sway->ProcessGroup());
    const auto pidsOf = [&](const std::string& name) {
      const auto it = members.find(name);
      return it == members.end() ? std::vector<int>{} : it->second;
    };
    if (pidsOf("sway").empty() || pidsOf("Xwayland").empty()) return state.SkipWithError("no sway or XWayland process");
    UseCompositor(*sway);
    xtest::WaylandSeat seat;
    if (!seat.ok()) return state.SkipWithError(seat.error().c_str());
    seat.SetScreen(kWidth, kHeight);
    xtest::XClient x(sway->Display());
    if (!x.ok()) return state.SkipWithError("cannot connect to XWayland");
    const auto waitTitle = [&] { std::this_thread::sleep_for(Ms(4000)); };
    std::map<std::string, double> counters;
    const auto bill = [&](const std::string& what, int pid, const std::function<double()>& run) {
      Bill b;
      b.Add("program", {pid});
      b.Add("sway", pidsOf("sway"));
      b.Add("xwayland", pidsOf("Xwayland"));
      b.Start();
      run();
      double all = 0;
      for (const auto& [party, pct] : b.Pct()) {
        counters[what + "_" + party + "_cpu_pct"] = pct;
        all += pct;
      }
      counters[what + "_system_cpu_pct"] = all;
    };

    // Native: DISPLAY unset, the compositor's socket given; the keyboard
    // comes with a click on the title.
    {
      xtest::Program game(ZB_PROGRAM, "", {}, dir.path(), sway->WaylandEnvironment());
      waitTitle();
      if (!game.Running()) return state.SkipWithError(("the native program ended: " + game.Stderr()).c_str());
      seat.Click(kWidth / 2, kHeight - 48, BTN_LEFT);
      std::this_thread::sleep_for(Ms(300));
      Hands hands{[&](std::uint32_t k, bool down) { seat.Key(k, down); }};
      bill("native", game.pid(), [&] { return Play(hands); });
      if (!game.Running()) return state.SkipWithError("the native program ended during play");
      game.child().Stop();
    }
    // The same program through XWayland.
    {
      xtest::Program game(ZB_PROGRAM, sway->Display(), {}, dir.path());
      waitTitle();
      if (!game.Running()) return state.SkipWithError(("the X11 program ended: " + game.Stderr()).c_str());
      Hands hands{[&](std::uint32_t k, bool down) { x.Key(Keysym(k), down); }};
      bill("xwayland", game.pid(), [&] { return Play(hands); });
      if (!game.Running()) return state.SkipWithError("the X11 program ended during play");
      game.child().Stop();
    }
    // oneko through XWayland, chasing a pointer that circles the screen (moved
    // with XTEST: XWayland sees the compositor's pointer only over its own
    // windows).
    {
      std::vector<std::string> env = xtest::EnvironmentWith({"DISPLAY=" + sway->Display()}, {"WAYLAND_DISPLAY"});
      xtest::Child oneko({"/usr/games/oneko"}, env, dir.path() + "/oneko.out", dir.path() + "/oneko.err");
      std::this_thread::sleep_for(Ms(1000));
      if (!oneko.Running()) return state.SkipWithError("oneko did not start (is it installed?)");
      bill("oneko", oneko.pid(), [&] {
        const Clock::time_point t0 = Clock::now();
        for (int i = 0; xtest::MsSince(t0) < kSeconds * 1000; ++i) {
          const double a = i * 0.02;
          x.MovePointer(static_cast<int>(kWidth / 2 + 400 * std::cos(a)),
                        static_cast<int>(kHeight / 2 + 300 * std::sin(a)));
          std::this_thread::sleep_until(t0 + Ms(static_cast<int>((i + 1) * kFrameMs)));
        }
        return xtest::MsSince(t0) / 1000;
      });
      oneko.Stop();
    }
    // Native with the protocol log: start to title, and the frame period.
    {
      std::vector<std::string> env = sway->WaylandEnvironment();
      env.push_back("WAYLAND_DEBUG=client");
      const double startMs = LogClockMs();
      xtest::Program game(ZB_PROGRAM, "", {}, dir.path(), env);
      waitTitle();
      seat.Click(kWidth / 2, kHeight - 48, BTN_LEFT);
      std::this_thread::sleep_for(Ms(300));
      seat.Key(xtest::evdev::kSpace, true);
      seat.Key(xtest::evdev::kSpace, false);
      std::this_thread::sleep_for(Ms(2500));
      seat.Key(xtest::evdev::kHome, true);
      seat.Key(xtest::evdev::kHome, false);
      seat.Key(xtest::evdev::kRight, true);
      std::this_thread::sleep_for(Ms(12000));
      seat.Key(xtest::evdev::kRight, false);
      game.child().Stop();
      const LogFigures log = ReadLog(dir.path() + "/program.err", startMs);
      counters["native_start_to_title_ms"] = log.startToTitleMs;
      counters["native_frame_p50_ms"] = Quantile(log.periods, 0.5);
      counters["native_frame_p99_ms"] = Quantile(log.periods, 0.99);
      counters["native_frame_samples"] = static_cast<double>(log.periods.size());
    }
    for (const auto& [name, value] : counters) state.counters[name] = value;
    state.counters["native_vs_xwayland_system"] =
        counters["native_system_cpu_pct"] / std::max(1e-9, counters["xwayland_system_cpu_pct"]);
    state.counters["native_vs_oneko_system"] =
        counters["native_system_cpu_pct"] / std::max(1e-9, counters["oneko_system_cpu_pct"]);
    state.SetIterationTime(4 * kSeconds);
    sway->Stop();
  }
}
BENCHMARK(BM_WaylandBill)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
