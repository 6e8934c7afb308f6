// The X11 backend's costs on a private Xvfb (the program starts one for
// itself): a yield with nothing to do, a frame's yield after ten sprite
// windows moved (the backend's single configure requests against Qt's own
// moves), the share of a core of a stage's 50 ms rhythm, a key poll,
// showing and hiding a window, a staff-roll outline. CPU times include Qt's
// event-reader thread.
#include <QWidget>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/app.h"
#include "platform/events.h"
#include "platform/keys.h"
#include "platform/qt/testing.h"
#include "platform/region.h"
#include "platform/window.h"
#include "support/x_platform.h"

namespace {

constexpr int kSprites = 10;

struct Sprites {
  std::vector<plat::WindowId> ids;
  Sprites() {
    for (int i = 0; i < kSprites; ++i) {
      const plat::WindowId w = plat::CreateSpriteWindow("frmEnemy");
      plat::SetWindowRect(w, (100 + 40 * i) * 15.0, 600 * 15.0, 19 * 15.0, 10 * 15.0);
      plat::SetBackColor(w, plat::RGB(200, 40, 40));
      plat::SetVisible(w, true);
      ids.push_back(w);
    }
    plat::DoEvents();
  }
  ~Sprites() { plat::qt::testing::Reset(); }
};

void BM_IdleYield(benchmark::State& state) {
  Sprites sprites;
  for (auto _ : state) plat::DoEvents();
}
BENCHMARK(BM_IdleYield)->MeasureProcessCPUTime();

// A busy frame: every sprite one pixel further, then the frame's yield.
void BM_FrameTenMoves(benchmark::State& state) {
  Sprites sprites;
  int step = 0;
  for (auto _ : state) {
    ++step;
    for (int i = 0; i < kSprites; ++i) {
      plat::SetWindowRect(sprites.ids[i], (100 + 40 * i + step % 50) * 15.0, 600 * 15.0, 19 * 15.0,
                          10 * 15.0);
    }
    plat::DoEvents();
  }
}
BENCHMARK(BM_FrameTenMoves)->MeasureProcessCPUTime();

// The same frame with Qt moving the windows itself, for comparison.
void BM_FrameTenMovesThroughQt(benchmark::State& state) {
  Sprites sprites;
  int step = 0;
  for (auto _ : state) {
    ++step;
    for (int i = 0; i < kSprites; ++i) {
      plat::qt::testing::WidgetOf(sprites.ids[i])->move(100 + 40 * i + step % 50, 600);
    }
    plat::DoEvents();
  }
}
BENCHMARK(BM_FrameTenMovesThroughQt)->MeasureProcessCPUTime();

// The share of a core the process needs for a stage's rhythm: ten sprites
// moved every 50 ms, a yield, a sleep for the rest of the frame (Qt's
// event-reader thread included; the X server's own work is not).
double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

enum class Moves { kNone, kBackend, kQt };

void PacedFrames(benchmark::State& state, Moves moves) {
  Sprites sprites;
  int step = 0;
  const double cpu0 = ProcessCpuSeconds();
  const std::uint32_t wall0 = plat::TimeGetTime();
  for (auto _ : state) {
    const std::uint32_t t0 = plat::TimeGetTime();
    ++step;
    for (int i = 0; i < kSprites && moves != Moves::kNone; ++i) {
      const int x = 100 + 40 * i + step % 50;
      if (moves == Moves::kQt) {
        plat::qt::testing::WidgetOf(sprites.ids[i])->move(x, 600);
      } else {
        plat::SetWindowRect(sprites.ids[i], x * 15.0, 600 * 15.0, 19 * 15.0, 10 * 15.0);
      }
    }
    plat::DoEvents();
    const std::uint32_t spent = plat::TimeGetTime() - t0;
    if (spent < 50) plat::Sleep(static_cast<int>(50 - spent));
  }
  const double wall = (plat::TimeGetTime() - wall0) / 1000.0;
  state.counters["core_%"] = 100.0 * (ProcessCpuSeconds() - cpu0) / wall;
}

void BM_PacedFramesNoMoves(benchmark::State& state) { PacedFrames(state, Moves::kNone); }
BENCHMARK(BM_PacedFramesNoMoves)->Iterations(100)->UseRealTime();
void BM_PacedFramesTenMoves(benchmark::State& state) { PacedFrames(state, Moves::kBackend); }
BENCHMARK(BM_PacedFramesTenMoves)->Iterations(100)->UseRealTime();
void BM_PacedFramesTenMovesThroughQt(benchmark::State& state) { PacedFrames(state, Moves::kQt); }
BENCHMARK(BM_PacedFramesTenMovesThroughQt)->Iterations(100)->UseRealTime();

void BM_KeyPoll(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(plat::GetAsyncKeyState(plat::VK_SPACE));
}
BENCHMARK(BM_KeyPoll)->MeasureProcessCPUTime();

// A shot window shown for a frame and hidden again.
void BM_ShowAndHide(benchmark::State& state) {
  Sprites sprites;
  for (auto _ : state) {
    plat::SetVisible(sprites.ids[0], false);
    plat::DoEvents();
    plat::SetVisible(sprites.ids[0], true);
    plat::DoEvents();
  }
}
BENCHMARK(BM_ShowAndHide)->MeasureProcessCPUTime();

// One step of the staff roll: a 163 x 95 window re-cut to some 2,700
// rectangles of lettering.
void BM_StaffRollOutline(benchmark::State& state) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmSTAFF");
  plat::SetWindowRect(w, 300 * 15.0, 300 * 15.0, 163 * 15.0, 95 * 15.0);
  plat::SetVisible(w, true);
  std::vector<plat::Rect> letters;
  for (int row = 0; row < 490; ++row) {
    for (int x = 12 + row % 3; x < 132; x += 22) letters.push_back({x, row, x + 5, row + 1});
  }
  const plat::Region lettering = plat::Region::FromRects(letters);
  int offset = 0;
  for (auto _ : state) {
    plat::Region cut = lettering;
    cut.Offset(0, 93 - offset++ % 500);
    plat::SetWindowShape(w, cut);
    plat::DoEvents();
  }
  state.counters["rects"] = static_cast<double>(lettering.RectCount());
  plat::qt::testing::Reset();
}
BENCHMARK(BM_StaffRollOutline)->MeasureProcessCPUTime();

// Runs this program again under a private Xvfb, so that the numbers do not
// depend on (or disturb) the desktop it was started from.
void ReexecUnderXvfb(int argc, char** argv) {
  if (std::getenv("ZB_BENCH_ON_XVFB")) return;
  setenv("ZB_BENCH_ON_XVFB", "1", 1);
  std::vector<char*> args;
  std::string script = ZB_WITH_XVFB, self(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", self.data(), self.size() - 1);
  self.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  args.push_back(script.data());
  args.push_back(self.data());
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);
  execv(script.c_str(), args.data());
  std::perror("zb_bench_x11: with_xvfb.sh");
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  ReexecUnderXvfb(argc, argv);
  xtest::OpenPlatformForTests("zb_bench_x11");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  plat::ClosePlatform();
  return 0;
}
