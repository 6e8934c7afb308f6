// The frame loop: the ship's per-frame steps and limits, the arrow-key
// combinations, ESC and HOME counted per press, and the 50 ms pacing.
#include <gtest/gtest.h>

#include <vector>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/state.h"
#include "game/flow/frame_loop.h"
#include "game/flow/stage_setup.h"
#include "game/parts/bursts/bursts.h"
#include "game/parts/enemies/enemies.h"
#include "game/parts/ship/ship_window.h"
#include "game/parts/ship/steering.h"
#include "platform/events.h"
#include "platform/keys.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

using namespace plat;  // the key codes

class Frame : public test::FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    SetUpStage();
    Ship.x = 100 * 15;
    Ship.y = 1000 * 15;  // between the limits: 935 to 1024
  }
  // The ship's move with `keys` held; returns how far it went, in twips.
  std::pair<float, float> MoveWith(std::vector<int> keys) {
    const float x = Ship.x, y = Ship.y;
    for (int vk : keys) sim::PressKey(vk);
    SteerShip();
    for (int vk : keys) sim::ReleaseKey(vk);
    return {Ship.x - x, Ship.y - y};
  }
  std::optional<StageEnd> NextFrame() {
    test::Advance(50);
    return RunOneFrame();
  }
  using Step = std::pair<float, float>;
};

TEST_F(Frame, PerFrameStepsOfTheShip) {
  EXPECT_EQ(MoveWith({}), Step(7.5f, 0));  // half a pixel onwards
  EXPECT_EQ(MoveWith({VK_RIGHT}), Step(15, 0));
  EXPECT_EQ(MoveWith({VK_LEFT}), Step(-3.75f, 0));  // a net quarter pixel back
  EXPECT_EQ(MoveWith({VK_UP}), Step(7.5f, -15));
  EXPECT_EQ(MoveWith({VK_DOWN, VK_LEFT}), Step(-3.75f, 15));
  EXPECT_EQ(MoveWith({VK_LEFT, VK_RIGHT}), Step(-3.75f, 0));  // left wins
  EXPECT_EQ(MoveWith({VK_UP, VK_DOWN}), Step(7.5f, 15));      // down wins
  EXPECT_EQ(MoveWith({VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT}), Step(-3.75f, 15));  // down-left
  Boss.active = true;  // no advance in the boss battle
  EXPECT_EQ(MoveWith({}), Step(0, 0));
  EXPECT_EQ(MoveWith({VK_LEFT}), Step(-11.25f, 0));
  EXPECT_EQ(shipWindow.Top(), Ship.y);  // the window follows the record
}

TEST_F(Frame, LimitsOfTheShip) {
  Ship.x = Ship.maxX - 5.0f;
  Ship.y = Ship.maxY - 5.0f;
  MoveWith({VK_RIGHT, VK_DOWN});
  EXPECT_EQ(Ship.x, Ship.maxX);
  EXPECT_EQ(Ship.y, Ship.maxY);
  Ship.x = 5;
  Ship.y = Ship.minY + 5.0f;
  MoveWith({VK_UP, VK_LEFT});
  EXPECT_EQ(Ship.x, 7.5f);  // held at 0, then the advance
  EXPECT_EQ(Ship.y, Ship.minY);
}

TEST_F(Frame, ATapBetweenFramesMovesOnceAndWaitsWhileTheShipIsHit) {
  sim::ScheduleKey(VK_RIGHT, sim::Now() + 10, sim::Now() + 20);
  test::Advance(50);
  Ship.hit = true;
  EXPECT_EQ(MoveWith({}), Step(0, 0));
  Ship.hit = false;
  EXPECT_EQ(MoveWith({}), Step(15, 0));
  EXPECT_EQ(MoveWith({}), Step(7.5f, 0));
}

TEST_F(Frame, EscapePausesOncePerPress) {
  sim::PressKey(VK_ESCAPE);
  NextFrame();
  const float x = Ship.x;
  for (int i = 0; i < 4; ++i) NextFrame();  // held for 200 ms more
  EXPECT_EQ(Game.paused, true);
  EXPECT_EQ(Ship.x, x);
  sim::ReleaseKey(VK_ESCAPE);
  NextFrame();
  sim::ScheduleKey(VK_ESCAPE, sim::Now() + 10, sim::Now() + 30);  // a tap between frames
  NextFrame();
  NextFrame();
  EXPECT_EQ(Game.paused, false);
  EXPECT_EQ(Ship.x, x + 15);
  sim::PressKey(VK_ESCAPE);  // held across a poll,
  NextFrame();
  test::Advance(10);
  sim::ReleaseKey(VK_ESCAPE);  // released and pressed again 20 ms later
  test::Advance(20);
  sim::PressKey(VK_ESCAPE);
  NextFrame();
  EXPECT_FALSE(Game.paused) << "two presses: paused and on again";
}

TEST_F(Frame, HomeTogglesOncePerPressAlsoWhilePaused) {
  Game.paused = true;
  sim::PressKey(VK_HOME);
  NextFrame();
  NextFrame();
  EXPECT_EQ(Ship.invincible, true);
  EXPECT_EQ(shipWindow.Picture(), ShapePicture(11));
  sim::ReleaseKey(VK_HOME);
  NextFrame();
  sim::PressKey(VK_HOME);
  NextFrame();
  EXPECT_EQ(Ship.invincible, false);
  EXPECT_EQ(shipWindow.Picture(), ShapePicture(10));
}

TEST_F(Frame, TheWinIsSeenOnlyWhenNotPaused) {
  Boss.defeated = true;
  Game.paused = true;
  EXPECT_FALSE(NextFrame().has_value());
  sim::PressKey(VK_ESCAPE);
  EXPECT_EQ(NextFrame(), StageEnd::kWin);
}

TEST_F(Frame, ZoneAndBurstBoundariesNeedMoreThanTheColumn) {
  for (int px : {32, 320, 630, 800}) EXPECT_FALSE(InSpawnZone(px)) << px;
  for (int px : {33, 319, 631, 799}) EXPECT_TRUE(InSpawnZone(px)) << px;
  Ship.x = 440 * 15;
  RunBurstStep();
  EXPECT_EQ(Bursts.running, false);
  Ship.x = 441 * 15;
  RunBurstStep();
  EXPECT_EQ(Bursts.running, true);
}

class Pacing : public test::FlowTest {
 protected:
  sim::Config PlatformConfig() override {
    sim::Config c;
    c.clockStartMs = 0xFFFFFFFFu - 120;  // the clock wraps during the test
    return c;
  }
};

TEST_F(Pacing, FiftyMsFramesAcrossTheWrapAndNoCatchingUp) {
  struct Stop {};
  std::vector<std::uint64_t> yields;
  Game.paused = true;  // a paused frame: keys, one yield, pacing
  sim::SetYieldHook([&] {
    yields.push_back(sim::Elapsed());
    if (yields.size() == 3) plat::Sleep(70);  // this frame takes 70 ms
    if (yields.size() == 6) throw Stop{};
  });
  EXPECT_THROW(RunFrameLoop(), Stop);
  EXPECT_EQ(yields, (std::vector<std::uint64_t>{0, 50, 100, 170, 220, 270}));
}

}  // namespace
}  // namespace zb
