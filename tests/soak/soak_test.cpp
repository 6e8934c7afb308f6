// The soak: games by the hundred in virtual time with a random player, each
// program run ending through the menu. No run may crash, trip a sanitizer,
// hang or end with the fatal box, and every title must find as many windows,
// timers and regions alive as the run's first title did.
//
// ZB_SOAK_GAMES sets how many games (default 100), ZB_SOAK_SEED the seed of
// the whole soak. A failing run prints its own seed; ZB_SOAK_REPLAY=<seed>
// with ZB_SOAK_GAMES=<its games> plays that run alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "game/base/game_windows.h"
#include "game/base/state.h"
#include "game/flow/entry.h"
#include "game/flow/frame_loop.h"
#include "game/parts/balloon/balloon.h"
#include "platform/sim/sim.h"
#include "random_player.h"

namespace zb::soak {
namespace {

constexpr int kGamesPerRun = 10;
constexpr std::uint64_t kDefaultGames = 100;
constexpr std::uint64_t kDefaultSeed = 20240607;
constexpr std::uint64_t kMaxRunMsPerGame = 500'000;

struct Screen {
  int width, height;
  std::optional<plat::Rect> workArea;
};
// Screens at least as wide as the stage: a panel at the bottom or the top,
// a small and a large monitor.
const std::array<Screen, 4> kScreens{{
    {1280, 1024, std::nullopt},
    {1920, 1080, plat::Rect{0, 0, 1920, 1040}},
    {1024, 768, std::nullopt},
    {2560, 1440, plat::Rect{0, 32, 2560, 1440}},
}};

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 0) : fallback;
}

// splitmix64: well-spread seeds from consecutive numbers.
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

std::string Hex(std::uint64_t v) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(v));
  return text;
}

struct RunSetup {
  sim::Config config;
  std::int32_t startX = 0;  // 0: the default column
};

// The screen, the clock's first reading and the start column of a run: most
// runs start at the default column, some on the way and some at the boss;
// some let the clock wrap around during the run.
RunSetup ChooseSetup(std::uint64_t seed) {
  std::mt19937_64 rng(Mix(seed));
  auto uniform = [&](std::uint32_t lo, std::uint32_t hi) {
    return std::uniform_int_distribution<std::uint32_t>(lo, hi)(rng);
  };
  RunSetup setup;
  const Screen& screen = kScreens[uniform(0, kScreens.size() - 1)];
  setup.config.screenWidth = screen.width;
  setup.config.screenHeight = screen.height;
  setup.config.workArea = screen.workArea;
  setup.config.seed = seed;
  if (uniform(0, 9) == 0) setup.config.clockStartMs = 0u - uniform(1'000, 600'000);
  const std::uint32_t where = uniform(0, 99);
  if (where >= 80) {
    setup.startX = static_cast<std::int32_t>(uniform(913, 960));
  } else if (where >= 55) {
    setup.startX = static_cast<std::int32_t>(uniform(300, 880));
  }
  return setup;
}

int WorkBottom(const sim::Config& c) { return c.workArea ? c.workArea->bottom : c.screenHeight; }

std::string ReplayHint(std::uint64_t seed, int games) {
  return "replay: ZB_SOAK_REPLAY=" + Hex(seed) + " ZB_SOAK_GAMES=" + std::to_string(games);
}

PlayStats& operator+=(PlayStats& a, const PlayStats& b) {
  a.wins += b.wins;
  a.bossFights += b.bossFights;
  a.leftClicks += b.leftClicks;
  a.menus += b.menus;
  a.versionDialogs += b.versionDialogs;
  a.virtualMs += b.virtualMs;
  return a;
}

// Runs the program for `games` games; any failure names the seed.
PlayStats SoakRun(std::uint64_t seed, int games) {
  std::printf("soak: %d games, %s\n", games, ReplayHint(seed, games).c_str());
  std::fflush(stdout);  // a sanitizer ends the process: the seed is out already
  SCOPED_TRACE(ReplayHint(seed, games));
  const RunSetup setup = ChooseSetup(seed);
  sim::Reset(setup.config);
  ResetGameState();
  RandomPlayer player(seed, games, setup.config.screenWidth, setup.config.screenHeight,
                      WorkBottom(setup.config));
  sim::SetTimeLimit(games * kMaxRunMsPerGame);
  int status = -1;
  try {
    status = RunGame(setup.startX);
  } catch (const GameTooLong& e) {
    ADD_FAILURE() << "game " << e.game << " still going after " << e.ms << " virtual ms: " << e.state;
  } catch (const sim::TimeLimitExceeded& e) {
    ADD_FAILURE() << "the run did not end within " << e.elapsedMs << " virtual ms";
  } catch (const sim::Stalled& e) {
    ADD_FAILURE() << "a busy wait that cannot end, at clock " << e.atMs;
  }
  EXPECT_EQ(status, 0);
  for (const auto& box : sim::MessageBoxes()) ADD_FAILURE() << "fatal box: " << box.text;
  const auto& titles = player.Titles();
  EXPECT_EQ(titles.size(), static_cast<std::size_t>(games) + 1);
  const auto grown = std::find_if(titles.begin(), titles.end(),
                                  [&](const Census& c) { return c != titles.front(); });
  EXPECT_TRUE(grown == titles.end()) << "title " << grown - titles.begin() << " finds " << *grown
                                     << ", the first title " << titles.front();
  PlayStats stats = player.Stats();
  stats.virtualMs = sim::Elapsed();
  ResetGameState();
  return stats;
}

TEST(Soak, RandomGamesEndCleanlyAndLeaveNothingBehindAtTheTitle) {
  const auto games = static_cast<int>(EnvNumber("ZB_SOAK_GAMES", kDefaultGames));
  const auto start = std::chrono::steady_clock::now();
  PlayStats total;
  if (const std::uint64_t replay = EnvNumber("ZB_SOAK_REPLAY", 0)) {
    total += SoakRun(replay, games);
  } else {
    const std::uint64_t seed = EnvNumber("ZB_SOAK_SEED", kDefaultSeed);
    for (int run = 0, left = games; left > 0 && !HasFailure(); ++run, left -= kGamesPerRun) {
      total += SoakRun(Mix(seed + run), std::min(left, kGamesPerRun));
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("soak: %d games, %.1f virtual hours in %.1f s: %d won, %d boss fights, "
              "%d left clicks, %d menus left, %d version dialogs\n",
              games, static_cast<double>(total.virtualMs) / 3.6e6, seconds, total.wins,
              total.bossFights, total.leftClicks, total.menus, total.versionDialogs);
  // The random player wins about a game in five: a soak without a win missed
  // the staff roll.
  if (games >= 50) {
    EXPECT_GT(total.wins, 0);
  }
}

}  // namespace
}  // namespace zb::soak
