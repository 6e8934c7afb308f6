// Whole games through the program's entry in virtual time: the cycle comes
// back to the title after a win and after a lost game, leaving no window,
// timer or region behind.
#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <tuple>
#include <vector>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/state.h"
#include "game/flow/entry.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/lamps/lamps.h"
#include "game/parts/ship/ship_window.h"
#include "platform/keys.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

using test::Shown;
using Census = std::tuple<int, int, std::int64_t>;  // windows, timers, regions

// Space at each title and `play` at every yield of a stage; after `games`
// games, quits through the menu. Returns the exit status and a census taken
// at each title.
std::pair<int, std::vector<Census>> Play(std::int32_t startX, int games,
                                         std::function<void()> play) {
  std::vector<Census> titles;
  bool atTitle = false;
  sim::AnswerMenus([](std::span<const plat::MenuItem>) { return 2; });
  sim::SetTimeLimit(games * 120'000ull);
  sim::SetYieldHook([&] {
    const bool title = Shown(bannerWindow) && bannerWindow.Picture() == ShapePicture(4);
    if (title && !atTitle) {
      titles.emplace_back(sim::LiveWindowCount(), sim::LiveTimerCount(), plat::Region::LiveCount());
      if (static_cast<int>(titles.size()) > games) {
        sim::Click(lampsWindow.Id(), plat::kRightButton, 5, 5);
      } else {
        sim::ScheduleKey(plat::VK_SPACE, sim::Now() + 500, sim::Now() + 600);
      }
    }
    atTitle = title;
    if (!title && Shown(shipWindow)) play();
  });
  const int status = RunGame(startX);
  return {status, titles};
}

using WholeGames = test::FlowTest;

TEST_F(WholeGames, WonGamesEndWithTheStaffRollAndTheTitleAgain) {
  // The boss comes at once, the ship cannot be hurt, and the boss falls as
  // soon as the battle is on.
  const auto [status, titles] = Play(913, 3, [] {
    Ship.invincible = true;
    if (Boss.active) Boss.strength = 0;
  });
  EXPECT_EQ(status, 0);
  ASSERT_EQ(titles.size(), 4u);
  EXPECT_EQ(titles[3], titles[1]);
  EXPECT_GT(sim::Elapsed(), 3 * 36'000u);  // three staff rolls
}

TEST_F(WholeGames, LostGamesGoStraightBackToTheTitle) {
  const auto [status, titles] = Play(0, 3, [] { Ship.hit = true; });
  EXPECT_EQ(status, 0);
  ASSERT_EQ(titles.size(), 4u);
  EXPECT_EQ(titles[3], titles[1]);
  EXPECT_LT(sim::Elapsed(), 3 * 20'000u);  // no staff roll
}

// The screen changes in the middle of a stage: the game is given up and the
// title comes back at once, laid out for the new screen.
TEST_F(WholeGames, AScreenChangeInAStageBringsBackTheTitleLaidOutForIt) {
  struct Title {
    plat::Rect window, lamps;
    bool balloon;
  };
  std::vector<Title> titles;
  bool atTitle = false;
  int playYields = 0;
  sim::AnswerMenus([](std::span<const plat::MenuItem>) { return 2; });
  sim::SetTimeLimit(120'000);
  sim::SetYieldHook([&] {
    const bool title = Shown(bannerWindow) && bannerWindow.Picture() == ShapePicture(4);
    if (title && !atTitle) {
      titles.push_back({test::PxRect(bannerWindow), test::PxRect(lampsWindow), Shown(balloonCentre)});
      if (titles.size() == 2) {
        sim::Click(lampsWindow.Id(), plat::kRightButton, 5, 5);
      } else {
        sim::ScheduleKey(plat::VK_SPACE, sim::Now() + 500, sim::Now() + 600);
      }
    }
    atTitle = title;
    if (!title && Shown(shipWindow) && ++playYields == 200) {
      sim::SetScreen(1600, 900, plat::Rect{0, 0, 1600, 860});
    }
  });
  EXPECT_EQ(RunGame(0), 0);
  ASSERT_EQ(titles.size(), 2u);
  EXPECT_EQ(titles[0].window, (plat::Rect{490, 1024 - 72, 790, 1024 - 24}));
  EXPECT_EQ(titles[1].window, (plat::Rect{650, 860 - 72, 950, 860 - 24}));
  EXPECT_EQ(titles[1].lamps, (plat::Rect{0, 860 - 11, 25, 860}));
  EXPECT_FALSE(titles[1].balloon);
  EXPECT_LT(sim::Elapsed(), 20'000u);  // the stage was given up, not played out
}

}  // namespace
}  // namespace zb
