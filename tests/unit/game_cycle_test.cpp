// The game cycle: the title and its wait for Space, the launch line, the
// boss's entrance, the win with its fly-out, and how the program ends.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/flow/entry.h"
#include "game/flow/frame_loop.h"
#include "game/flow/game_cycle.h"
#include "game/flow/stage_setup.h"
#include "game/flow/win.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/boss/boss.h"
#include "game/parts/click_hint/click_hint.h"
#include "game/parts/lamps/lamps.h"
#include "game/parts/scenery/scenery.h"
#include "game/parts/ship/ship_window.h"
#include "platform/events.h"
#include "platform/handler_guard.h"
#include "platform/keys.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

using test::PxRect;
using test::Rec;
using test::Shown;

class GameCycle : public test::FlowTest {
 protected:
  // Notes each new line the balloon shows at a yield.
  void WatchBalloon() {
    sim::SetYieldHook([this] {
      if (!Shown(balloonCentre) || Rec(balloonCentre).texts.empty()) return;
      const std::string text = Rec(balloonCentre).texts[0].text;
      if (lines.empty() || lines.back() != text) lines.push_back(text);
    });
  }
  std::vector<std::string> lines;
};

TEST_F(GameCycle, TitleLampsAndTitleWindow) {
  sim::PressKey(plat::VK_SPACE);  // held: the wait ends at once
  ShowTitle(true);
  EXPECT_EQ(PxRect(lampsWindow), (plat::Rect{0, 1024 - 11, 25, 1024}));
  EXPECT_EQ(*Rec(lampsWindow).outline, CreateShapeRegion(0));
  EXPECT_EQ(lampsWindow.lamps[1].BackColor(), plat::RGB(0, 255, 0));
  EXPECT_EQ(sim::FocusedWindow(), lampsWindow.Id());
  EXPECT_EQ(PxRect(bannerWindow), (plat::Rect{490, 1024 - 72, 790, 1024 - 24}));
  EXPECT_FALSE(Shown(bannerWindow));  // hidden once Space is seen
  EXPECT_EQ(Ship.x, 36 * 15 + 7.5f);  // placed, one step made
}

TEST_F(GameCycle, TitleWaitEndsWithinAPollOfSpaceAndDiscardsThePresses) {
  sim::PressKey(plat::VK_SPACE);  // a press made before the title does not count
  sim::ReleaseKey(plat::VK_SPACE);
  sim::SetYieldHook([] {  // nor one tapped while the stage is being set up
    if (Shown(bannerWindow)) return;
    sim::PressKey(plat::VK_SPACE);
    sim::ReleaseKey(plat::VK_SPACE);
  });
  const std::uint32_t t = sim::Now() + 3000;
  sim::ScheduleKey(plat::VK_SPACE, t, t + 100);
  sim::SetTimeLimit(60'000);
  ShowTitle(false);
  EXPECT_LE(sim::Now() - t, 10u);
  EXPECT_LE(sim::Stats().yields, 20u);  // slept between polls, woken by the key
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), static_cast<std::int16_t>(0x8000));
}

TEST_F(GameCycle, EscAndHomePressedBeforeTheStageDoNotCountInIt) {
  sim::ScheduleKey(plat::VK_ESCAPE, sim::Now() + 100, sim::Now() + 150);  // at the title
  sim::ScheduleKey(plat::VK_SPACE, sim::Now() + 500, sim::Now() + 600);
  sim::SetTimeLimit(60'000);
  ShowTitle(false);
  sim::ScheduleKey(plat::VK_HOME, sim::Now() + 500, sim::Now() + 1200);  // held into the stage
  RunLaunch();
  struct Paused {};
  std::vector<std::pair<bool, bool>> seen;  // paused, invincible at each yield
  sim::SetYieldHook([&] {
    seen.emplace_back(Game.paused, Ship.invincible);
    if (seen.size() == 1) sim::ScheduleKey(plat::VK_ESCAPE, sim::Now() + 10, sim::Now() + 20);
    if (Game.paused) throw Paused{};
  });
  EXPECT_THROW(RunFrameLoop(), Paused);  // a press made in the stage counts
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), std::pair(false, false));
  EXPECT_GE(seen.size(), 2u);
  EXPECT_FALSE(seen.back().second);
}

TEST_F(GameCycle, SpaceTappedWhileTheTitleIsBeingPaintedStartsTheGame) {
  // The yield that paints the title takes 500 ms, and Space is tapped in it.
  std::optional<std::uint32_t> shownAt;
  sim::SetYieldHook([&] {
    if (!Shown(bannerWindow) || shownAt) return;
    shownAt = sim::Now();
    sim::ScheduleKey(plat::VK_SPACE, *shownAt + 100, *shownAt + 160);
    plat::Sleep(500);
  });
  sim::SetTimeLimit(60'000);
  try {
    ShowTitle(false);
  } catch (const sim::TimeLimitExceeded&) {
    FAIL() << "the tap made while the title was being painted was lost";
  }
  ASSERT_TRUE(shownAt);
  EXPECT_LE(sim::Now() - *shownAt, 510u);
  EXPECT_FALSE(Shown(bannerWindow));
}

// On a Wayland desktop the game hears the keys only once a click on one of
// its windows gave it the focus: until then a line under the title asks for
// that click, and Space typed into the terminal does not start the game.
class OnAWaylandDesktop : public GameCycle {
 protected:
  sim::Config PlatformConfig() override {
    sim::Config c;
    c.keysNeedFocus = true;
    return c;
  }
};

TEST_F(OnAWaylandDesktop, ALineAsksForAClickUntilTheKeysReachTheGame) {
  WatchKeyboard();
  ASSERT_TRUE(Shown(clickHintWindow)) << "nothing asks for a click at start-up";
  const std::uint32_t t = sim::Now();
  sim::ScheduleKey(plat::VK_SPACE, t + 1000, t + 1100);  // typed into the terminal
  sim::ScheduleClick(bannerWindow.Id(), 1, 150, 30, t + 2000);
  sim::ScheduleKey(plat::VK_SPACE, t + 3000, t + 3100);
  bool lineWithTheTitle = false;
  sim::SetYieldHook([&] {
    if (sim::Now() - t > 1500 && sim::Now() - t < 2000) {
      lineWithTheTitle = Shown(bannerWindow) && Shown(clickHintWindow);
    }
  });
  sim::SetTimeLimit(60'000);
  ShowTitle(true);
  EXPECT_GE(sim::Now() - t, 3000u) << "Space typed elsewhere started the game";
  EXPECT_TRUE(lineWithTheTitle);
  EXPECT_FALSE(Shown(clickHintWindow)) << "the line stays after the click";
  EXPECT_EQ(sim::FocusedWindow(), lampsWindow.Id());  // the click's focus goes on to the lamps
  // Centred under the title, above the bottom of the work area.
  const plat::Rect line = PxRect(clickHintWindow), title = PxRect(bannerWindow);
  EXPECT_GE(line.top, title.bottom);
  EXPECT_LE(line.bottom, 1024);
  EXPECT_LE(std::abs(line.left + line.right - title.left - title.right), 1);
  EXPECT_FALSE(Rec(clickHintWindow).texts.empty());

  // A click off the game's windows gives the keys to another program.
  sim::SetYieldHook({});
  sim::ClickScreen(1, 1200, 100);
  plat::DoEvents();
  EXPECT_TRUE(Shown(clickHintWindow)) << "nothing asks for a click once the keys went elsewhere";
  sim::PressKey(plat::VK_SPACE);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), 0);
}

TEST_F(GameCycle, WhereKeysAreReadWhateverHasTheFocusNoLineShows) {
  WatchKeyboard();
  sim::PressKey(plat::VK_SPACE);
  ShowTitle(true);
  sim::ClickScreen(1, 1200, 100);
  plat::DoEvents();
  EXPECT_FALSE(clickHintWindow.IsLoaded());
}

TEST_F(GameCycle, LaunchAndBossEntrance) {
  SetUpStage();
  WatchBalloon();
  sim::SetTimeLimit(60'000);
  RunLaunch();
  EXPECT_EQ(sim::Elapsed(), 1000u);
  RunBossEntrance();
  EXPECT_EQ(lines, (std::vector<std::string>{"いくぞ！", "うぉ！", "生きて帰れるかな？！"}));
  EXPECT_EQ(Boss.active, true);
  EXPECT_EQ(*Scenery.outline, CreateShapeRegion(7));
  EXPECT_EQ(sceneryWindow.Picture(), ShapePicture(7));
  EXPECT_LE(sim::Stats().yields, sim::Elapsed() / 5);  // the wait did not spin
  EXPECT_FALSE(balloonLeft.IsLoaded());
}

TEST_F(GameCycle, FlyOutStopsAt1024AndLeavesAShipBeyondAlone) {
  shipWindow.Move(1020 * 15, 900 * 15);
  FlyOut();
  EXPECT_EQ(PxRect(shipWindow).left, 1024);
  EXPECT_EQ(sim::Elapsed(), 5 * 50u);
  shipWindow.Move(1030 * 15, 900 * 15);
  FlyOut();
  EXPECT_EQ(PxRect(shipWindow).left, 1030);
  EXPECT_EQ(sim::Elapsed(), 5 * 50u);
}

TEST_F(GameCycle, WinSequenceLinesThenTheStaffRoll) {
  SetUpStage();
  particlesWindow.SetVisible(true);
  shipWindow.Move(1030 * 15, 900 * 15);
  WatchBalloon();
  RunWinSequence();
  EXPECT_EQ(lines, (std::vector<std::string>{"やられた・・・", "やったぜ！！"}));
  EXPECT_FALSE(Shown(particlesWindow));
  EXPECT_EQ(sim::Elapsed(), 4000u + 707 * 50 + 1000);  // lines, roll and fade, last pause
}

TEST_F(GameCycle, RunTimeAndShapingErrorsEndTheProgramWithStatus1) {
  sim::SetScreen(1280, 200'000'000);  // the work area's bottom overflows in twips
  EXPECT_EQ(RunGame(0), 1);
  plat::ResetHandlerGuard();  // the fatal exit stays remembered until the program ends
  sim::SetScreen(1280, 1024);
  sim::SetShapeSupported(false);
  EXPECT_EQ(RunGame(0), 1);
  ASSERT_EQ(sim::MessageBoxes().size(), 2u);
  EXPECT_EQ(sim::MessageBoxes()[0].text, "Overflow");
  EXPECT_EQ(sim::MessageBoxes()[1].text, "It failed in plastic surgery of a window.");
}

}  // namespace
}  // namespace zb
