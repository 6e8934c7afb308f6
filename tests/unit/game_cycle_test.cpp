// The game cycle: start-up, the title and its wait for Space, the launch
// line, the boss's entrance, the win with its fly-out, and the ways the
// program ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/forms.h"
#include "game/frame_loop.h"
#include "game/game_cycle.h"
#include "game/globals.h"
#include "game/main.h"
#include "game/stage_setup.h"
#include "platform/events.h"
#include "platform/keys.h"
#include "shapes/pictures.h"
#include "shapes/shaping.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

using test::PxRect;
using test::Rec;
using test::Shown;

// The lines the balloon showed at yields, each once in a row.
class BalloonLines {
 public:
  void Watch() {
    sim::SetYieldHook([this] {
      if (!frmC.IsLoaded() || !Shown(frmC)) return;
      const auto texts = Rec(frmC).texts;
      if (!texts.empty() && (lines.empty() || lines.back() != texts[0].text)) {
        lines.push_back(texts[0].text);
      }
    });
  }
  std::vector<std::string> lines;
};

class Title : public test::FlowTest {};

TEST_F(Title, LampsAndTitleWindowStandOnTheBottom) {
  sim::PressKey(plat::VK_SPACE);  // held: the wait ends at once
  ShowTitle(true);
  EXPECT_TRUE(Shown(frmShe));
  EXPECT_EQ(PxRect(frmShe), (plat::Rect{0, 1024 - 11, 25, 1024}));
  EXPECT_EQ(*Rec(frmShe).outline, CreateShapeRegion(0));
  EXPECT_EQ(frmShe.Label1[0].BackColor(), plat::RGB(0, 255, 0));
  EXPECT_EQ(frmShe.Label1[1].BackColor(), plat::RGB(0, 255, 0));
  EXPECT_EQ(sim::FocusedWindow(), frmShe.hWnd());
  // The title window, shown until Space, centred 72 pixels above the bottom.
  EXPECT_EQ(PxRect(frmSTAFF), (plat::Rect{490, 1024 - 72, 790, 1024 - 24}));
  EXPECT_EQ(*Rec(frmSTAFF).outline, CreateShapeRegion(4));
  EXPECT_EQ(frmSTAFF.Picture(), ShapePicture(4));
  EXPECT_FALSE(Shown(frmSTAFF));
  // The ship stands at its start, one automatic step made.
  EXPECT_EQ(Player.PlayerX, 36 * 15 + 7.5f);
  EXPECT_TRUE(Shown(frmPlayer));
}

TEST_F(Title, WaitEndsWithinAPollOfSpaceAndDiscardsThePress) {
  sim::PressKey(plat::VK_SPACE);  // pressed and released before the title
  sim::ReleaseKey(plat::VK_SPACE);
  const std::uint32_t t = sim::Now() + 3000;
  sim::ScheduleKey(plat::VK_SPACE, t, t + 100);
  sim::SetTimeLimit(60'000);
  bool titleShownWhileWaiting = false;
  sim::SetYieldHook([&] { titleShownWhileWaiting |= sim::Now() > 1000 && Shown(frmSTAFF); });
  ShowTitle(false);
  EXPECT_TRUE(titleShownWhileWaiting);
  EXPECT_GE(sim::Now() - t, 0u);
  EXPECT_LE(sim::Now() - t, 10u);
  // The wait slept between polls instead of spinning.
  EXPECT_GE(sim::Stats().waits, 250u);
  EXPECT_LE(sim::Stats().yields, 400u);
  // The press that ended the wait does not count again.
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), static_cast<std::int16_t>(0x8000));
  EXPECT_NE(sim::FocusedWindow(), frmShe.hWnd());  // focus is taken once a run
}

class GameCycle : public test::FlowTest {};

TEST_F(GameCycle, LaunchSaysItsLineBesideTheShipForASecond) {
  SetUpStage();
  MovePlayerByKeys();
  BalloonLines seen;
  seen.Watch();
  const auto start = sim::Elapsed();
  RunLaunch();
  EXPECT_EQ(seen.lines, std::vector<std::string>{"いくぞ！"});
  EXPECT_EQ(sim::Elapsed() - start, 1000u);
  EXPECT_FALSE(frmL.IsLoaded() || frmC.IsLoaded() || frmR.IsLoaded());
}

TEST_F(GameCycle, BossEntranceWaitsForTheBossWithoutSpinning) {
  SetUpStage();
  BalloonLines seen;
  seen.Watch();
  sim::SetTimeLimit(60'000);
  RunBossEntrance();
  EXPECT_EQ(Cycle.BossActive, kTrue);
  EXPECT_EQ(frmBG.Picture(), ShapePicture(7));
  EXPECT_EQ(*Cycle.BGRegion, CreateShapeRegion(7));
  plat::Region inWindow = CreateShapeRegion(7);
  inWindow.Intersect(plat::Region(plat::Rect{0, 0, 1024, 99}));
  EXPECT_EQ(*Rec(frmBG).outline, inWindow);
  EXPECT_TRUE(Shown(frmBoss));
  EXPECT_LT(frmBoss.Left(), Cycle.BossStopX);
  EXPECT_EQ(seen.lines, (std::vector<std::string>{"うぉ！", "生きて帰れるかな？！"}));
  EXPECT_GT(sim::Stats().waits, 0u);
  EXPECT_LE(sim::Stats().yields, sim::Elapsed() / 5);
}

TEST_F(GameCycle, FlyOutEndsWithTheShipsLeftEdgeAt1024) {
  frmPlayer.Move(1020 * 15, 900 * 15);
  const auto start = sim::Elapsed();
  FlyOut();
  EXPECT_EQ(PxRect(frmPlayer).left, 1024);
  EXPECT_EQ(sim::Elapsed() - start, 5 * 50u);
}

TEST_F(GameCycle, FlyOutLeavesAShipBeyond1024Alone) {
  frmPlayer.Move(1030 * 15, 900 * 15);
  FlyOut();
  EXPECT_EQ(PxRect(frmPlayer).left, 1030);
  EXPECT_EQ(sim::Stats().sleeps, 0u);
}

TEST_F(GameCycle, WinSequenceLinesThenTheStaffRoll) {
  SetUpStage();
  frmBoss.SetVisible(true);
  frmDot.SetVisible(true);
  frmPlayer.Move(1030 * 15, 900 * 15);
  BalloonLines seen;
  seen.Watch();
  const auto start = sim::Elapsed();
  RunWinSequence();
  EXPECT_EQ(seen.lines, (std::vector<std::string>{"やられた・・・", "やったぜ！！"}));
  EXPECT_FALSE(Shown(frmDot));
  // 4 s of lines, then the staff roll: 611 + 96 steps of 50 ms and a second.
  EXPECT_EQ(sim::Elapsed() - start, 4000u + 707 * 50 + 1000);
  EXPECT_FALSE(frmSTAFF.IsLoaded());
}

class Program : public test::FlowTest {
 protected:
  void TearDown() override {
    sim::SetYieldHook({});
    test::FlowTest::TearDown();
  }
};

// Right-clicks a lamp once the title has stood for `afterMs` and chooses
// "終了" from the menu.
void QuitFromTheTitleAfter(std::uint64_t afterMs) {
  sim::AnswerMenus([](std::span<const plat::MenuItem> items) { return 2; });
  sim::SetYieldHook([afterMs] {
    if (sim::Clicks().empty() && sim::Elapsed() >= afterMs && Shown(frmSTAFF)) {
      sim::Click(frmShe.hWnd(), plat::kRightButton, 5, 5);
    }
  });
}

TEST_F(Program, EndsThroughTheMenuWithStatus0) {
  sim::PressKey(plat::VK_SPACE);  // a Space pressed before the start does not count
  sim::ReleaseKey(plat::VK_SPACE);
  QuitFromTheTitleAfter(2000);
  sim::SetTimeLimit(60'000);
  EXPECT_EQ(Main(300), 0);
  EXPECT_EQ(Cycle.StartX, 300);
  EXPECT_EQ(sim::Menus().size(), 1u);
  EXPECT_FALSE(frmPlayer.IsLoaded());
  EXPECT_FALSE(frmBG.IsLoaded());
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(Program, ARunTimeErrorShowsTheFatalBoxAndStatus1) {
  sim::SetScreen(1280, 200'000'000);  // the work area's bottom overflows in twips
  EXPECT_EQ(Main(0), 1);
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::MessageBoxes()[0].text, "Overflow");
}

TEST_F(Program, AWindowSystemThatCannotShapeEndsIt) {
  sim::SetShapeSupported(false);
  EXPECT_EQ(Main(0), 1);
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::MessageBoxes()[0].text, "It failed in plastic surgery of a window.");
}

}  // namespace
}  // namespace zb
