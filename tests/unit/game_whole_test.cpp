// Whole games through the program's entry in virtual time: the cycle comes
// back to the title after a win and after a lost game, and leaves no window,
// timer or region behind.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "game/forms.h"
#include "game/globals.h"
#include "game/main.h"
#include "platform/keys.h"
#include "shapes/pictures.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

using test::Shown;

struct Census {
  int windows = 0;
  int timers = 0;
  std::int64_t regions = 0;
  friend bool operator==(const Census&, const Census&) = default;
};

// Plays games from the title: Space at each title, `play` at every yield of
// a stage; quits through the menu at the title after `games` games.
class WholeGames : public test::FlowTest {
 protected:
  int Play(std::int32_t startX, int games, std::function<void()> play) {
    sim::AnswerMenus([](std::span<const plat::MenuItem>) { return 2; });
    sim::SetTimeLimit(games * 120'000ull + 60'000);
    sim::SetYieldHook([=, this] {
      const bool title = Shown(frmSTAFF) && frmSTAFF.Picture() == ShapePicture(4);
      if (title && !atTitle_) OnTitle(games);
      atTitle_ = title;
      if (!title && frmPlayer.IsLoaded() && Shown(frmPlayer)) play();
    });
    return Main(startX);
  }
  std::vector<Census> titles;

 private:
  void OnTitle(int games) {
    titles.push_back({sim::LiveWindowCount(), sim::LiveTimerCount(), plat::Region::LiveCount()});
    if (static_cast<int>(titles.size()) > games) {
      sim::Click(frmShe.hWnd(), plat::kRightButton, 5, 5);
    } else {
      sim::ScheduleKey(plat::VK_SPACE, sim::Now() + 500, sim::Now() + 600);
    }
  }
  bool atTitle_ = false;
};

TEST_F(WholeGames, WonGamesEndWithTheStaffRollAndTheTitleAgain) {
  // The boss comes at once; the ship cannot be hurt, and the boss falls as
  // soon as the battle is on.
  const int status = Play(913, 3, [] {
    Cycle.PlayerInvincible = kTrue;
    if (Cycle.BossActive == kTrue && frmBoss.nPower > 0) frmBoss.nPower = 0;
  });
  EXPECT_EQ(status, 0);
  ASSERT_EQ(titles.size(), 4u);
  for (std::size_t i = 2; i < titles.size(); ++i) EXPECT_EQ(titles[i], titles[1]) << i;
  EXPECT_GT(sim::Elapsed(), 3 * 36'000u);  // three staff rolls
}

TEST_F(WholeGames, LostGamesGoStraightBackToTheTitle) {
  // Every frame something hits the ship: three lives go, then the ship.
  const int status = Play(0, 3, [] { Player.PlayerHit = kTrue; });
  EXPECT_EQ(status, 0);
  ASSERT_EQ(titles.size(), 4u);
  for (std::size_t i = 2; i < titles.size(); ++i) EXPECT_EQ(titles[i], titles[1]) << i;
  EXPECT_EQ(frmShe.IsLoaded(), true);
  EXPECT_LT(sim::Elapsed(), 3 * 20'000u);  // no staff roll
}

}  // namespace
}  // namespace zb
