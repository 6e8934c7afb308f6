// The frame loop: the ship's per-frame steps and limits, the arrow-key
// combinations, ESC and HOME counted per press, and the 50 ms pacing.
#include <gtest/gtest.h>

#include <vector>

#include "game/forms.h"
#include "game/frame_loop.h"
#include "game/frame_steps.h"
#include "game/globals.h"
#include "game/stage_setup.h"
#include "platform/events.h"
#include "platform/keys.h"
#include "shapes/pictures.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

using test::Advance;

constexpr float kPx = 15.0f;  // twips per pixel

class Movement : public test::FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    Player.PlayerX = 100 * kPx;
    Player.PlayerY = 900 * kPx;
    Player.PlayerMaxX = 1280 * 15;
    Player.PlayerMaxY = 1024 * 15;
    Player.PlayerMinY = 800 * 15;
    Player.PlayerStep = 0.5f * kPx;
  }
  // One frame's movement with `keys` held, released afterwards.
  void MoveWith(std::vector<int> keys) {
    for (int vk : keys) sim::PressKey(vk);
    MovePlayerByKeys();
    for (int vk : keys) sim::ReleaseKey(vk);
  }
};

TEST_F(Movement, PerFrameSteps) {
  const float x = Player.PlayerX, y = Player.PlayerY;
  MoveWith({});
  EXPECT_EQ(Player.PlayerX, x + 7.5f);  // the automatic advance: half a pixel
  MoveWith({plat::VK_RIGHT});
  EXPECT_EQ(Player.PlayerX, x + 7.5f + 15);  // one pixel
  MoveWith({plat::VK_LEFT});
  EXPECT_EQ(Player.PlayerX, x + 7.5f + 15 - 3.75f);  // a net quarter pixel back
  MoveWith({plat::VK_UP});
  EXPECT_EQ(Player.PlayerY, y - 15);
  MoveWith({plat::VK_DOWN});
  EXPECT_EQ(Player.PlayerY, y);
  MoveWith({plat::VK_UP, plat::VK_RIGHT});
  EXPECT_EQ(Player.PlayerY, y - 15);
  EXPECT_EQ(Player.PlayerX, x + 7.5f + 15 - 3.75f + 7.5f + 7.5f + 15);
}

TEST_F(Movement, TheWindowFollowsTheRecord) {
  MoveWith({});
  MoveWith({});
  EXPECT_EQ(test::PxRect(frmPlayer).left, 101);  // two half pixels
  EXPECT_EQ(test::PxRect(frmPlayer).top, 900);
}

TEST_F(Movement, NoAdvanceInTheBossBattle) {
  Cycle.BossActive = kTrue;
  const float x = Player.PlayerX;
  MoveWith({});
  EXPECT_EQ(Player.PlayerX, x);
  MoveWith({plat::VK_LEFT});
  EXPECT_EQ(Player.PlayerX, x - 11.25f);  // three quarters of a pixel
  MoveWith({plat::VK_RIGHT});
  EXPECT_EQ(Player.PlayerX, x - 11.25f + 7.5f);
}

TEST_F(Movement, Limits) {
  Player.PlayerX = Player.PlayerMaxX - 5.0f;
  MoveWith({plat::VK_RIGHT, plat::VK_DOWN});
  EXPECT_EQ(Player.PlayerX, Player.PlayerMaxX);
  Player.PlayerY = Player.PlayerMaxY - 5.0f;
  MoveWith({plat::VK_DOWN});
  EXPECT_EQ(Player.PlayerY, Player.PlayerMaxY);
  Player.PlayerY = Player.PlayerMinY + 5.0f;
  MoveWith({plat::VK_UP});
  EXPECT_EQ(Player.PlayerY, Player.PlayerMinY);
  Player.PlayerX = 5;
  MoveWith({plat::VK_LEFT});
  EXPECT_EQ(Player.PlayerX, 0 + 7.5f);  // held at 0, then the advance
}

TEST_F(Movement, KeyCombinations) {
  auto read = [](std::vector<int> keys) {
    for (int vk : keys) sim::PressKey(vk);
    const int d = ReadDirectionKeys();
    for (int vk : keys) sim::ReleaseKey(vk);
    ReadDirectionKeys();  // clears what the releases left
    return d;
  };
  using namespace plat;
  EXPECT_EQ(read({}), 0);
  EXPECT_EQ(read({VK_UP}), 8);
  EXPECT_EQ(read({VK_DOWN}), 2);
  EXPECT_EQ(read({VK_LEFT}), 4);
  EXPECT_EQ(read({VK_RIGHT}), 6);
  EXPECT_EQ(read({VK_UP, VK_RIGHT}), 9);
  EXPECT_EQ(read({VK_UP, VK_LEFT}), 7);
  EXPECT_EQ(read({VK_DOWN, VK_RIGHT}), 3);
  EXPECT_EQ(read({VK_DOWN, VK_LEFT}), 1);
  EXPECT_EQ(read({VK_LEFT, VK_RIGHT}), 4);
  EXPECT_EQ(read({VK_UP, VK_DOWN}), 2);
  EXPECT_EQ(read({VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT}), 1);
}

TEST_F(Movement, ATapBetweenFramesMovesTheShipOnce) {
  sim::ScheduleKey(plat::VK_RIGHT, sim::Now() + 10, sim::Now() + 20);
  Advance(50);
  EXPECT_EQ(ReadDirectionKeys(), 6);
  EXPECT_EQ(ReadDirectionKeys(), 0);
}

TEST_F(Movement, AHitShipStandsStillAndKeepsItsPendingPresses) {
  Player.PlayerHit = kTrue;
  const float x = Player.PlayerX;
  frmPlayer.Move(x, Player.PlayerY);
  sim::ScheduleKey(plat::VK_RIGHT, sim::Now() + 10, sim::Now() + 20);
  Advance(50);
  MovePlayerByKeys();
  EXPECT_EQ(Player.PlayerX, x);
  Player.PlayerHit = kFalse;
  MovePlayerByKeys();
  EXPECT_EQ(Player.PlayerX, x + 15);
}

class Frame : public test::FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    SetUpStage();
    MovePlayerByKeys();
  }
  std::optional<StageEnd> NextFrame() {
    Advance(50);
    return RunOneFrame();
  }
};

TEST_F(Frame, EscapeHeldPausesOnceAndATapCountsOnce) {
  sim::PressKey(plat::VK_ESCAPE);
  NextFrame();
  EXPECT_EQ(Cycle.Paused, kTrue);
  const float x = Player.PlayerX;
  for (int i = 0; i < 4; ++i) NextFrame();  // held for 200 ms more
  EXPECT_EQ(Cycle.Paused, kTrue);
  EXPECT_EQ(Player.PlayerX, x);  // nothing moves while paused
  sim::ReleaseKey(plat::VK_ESCAPE);
  NextFrame();
  EXPECT_EQ(Cycle.Paused, kTrue);
  sim::ScheduleKey(plat::VK_ESCAPE, sim::Now() + 10, sim::Now() + 30);  // between two frames
  NextFrame();
  EXPECT_EQ(Cycle.Paused, kFalse);
  EXPECT_EQ(Player.PlayerX, x + 7.5f);
  NextFrame();
  EXPECT_EQ(Cycle.Paused, kFalse);
}

TEST_F(Frame, HomeTogglesInvincibilityPerPressAlsoWhilePaused) {
  Cycle.Paused = kTrue;
  sim::PressKey(plat::VK_HOME);
  NextFrame();
  EXPECT_EQ(Cycle.PlayerInvincible, kTrue);
  EXPECT_EQ(frmPlayer.Picture(), ShapePicture(11));
  NextFrame();
  NextFrame();
  EXPECT_EQ(Cycle.PlayerInvincible, kTrue);
  sim::ReleaseKey(plat::VK_HOME);
  NextFrame();
  sim::PressKey(plat::VK_HOME);
  NextFrame();
  EXPECT_EQ(Cycle.PlayerInvincible, kFalse);
  EXPECT_EQ(frmPlayer.Picture(), ShapePicture(10));
}

TEST_F(Frame, TheWinIsSeenOnlyWhenNotPaused) {
  Cycle.BossDefeated = kTrue;
  Cycle.Paused = kTrue;
  EXPECT_FALSE(NextFrame().has_value());
  sim::PressKey(plat::VK_ESCAPE);
  EXPECT_EQ(NextFrame(), StageEnd::kWin);
}

TEST_F(Frame, GameOverEndsTheStageAtTheEndOfTheFrame) {
  Player.PlayerDeadFrames = 999;
  const float x = Player.PlayerX;
  EXPECT_EQ(NextFrame(), StageEnd::kGameOver);
  EXPECT_EQ(Player.PlayerX, x + 7.5f);  // the frame ran
}

TEST_F(Frame, SpawnZonesAndBurstSpots) {
  for (int px : {32, 320, 630, 800}) EXPECT_FALSE(InSpawnZone(px)) << px;
  for (int px : {33, 319, 631, 799}) EXPECT_TRUE(InSpawnZone(px)) << px;

  Player.PlayerX = 440 * kPx;  // exactly 440: no scenery burst yet
  RunBurstStep();
  EXPECT_EQ(Cycle.Bursting, kFalse);
  Player.PlayerX = 441 * kPx;
  RunBurstStep();
  EXPECT_EQ(Cycle.Bursting, kTrue);
  EXPECT_EQ(Cycle.BurstNo, 1);
}

TEST_F(Frame, BossBurstsWhileTheBossHasStrength) {
  Cycle.BossActive = kTrue;
  Player.PlayerX = 500 * kPx;  // scenery bursts are off in the boss battle
  frmBoss.nPower = 0;
  RunBurstStep();
  EXPECT_EQ(Cycle.Bursting, kFalse);
  frmBoss.nPower = 3;
  Cycle.BurstNo = 2;
  RunBurstStep();
  EXPECT_EQ(Cycle.Bursting, kTrue);
  EXPECT_EQ(Cycle.BurstNo, 0);  // wraps after the third spot
}

class Pacing : public test::FlowTest {
 protected:
  sim::Config PlatformConfig() override {
    sim::Config c;
    c.clockStartMs = 0xFFFFFFFFu - 120;  // the clock wraps during the test
    return c;
  }
};

TEST_F(Pacing, WaitsOutTheRestOfTheFrameAcrossTheWrap) {
  const std::uint32_t t0 = plat::TimeGetTime();
  Advance(20);
  PaceFrame(t0);
  EXPECT_EQ(static_cast<std::uint32_t>(plat::TimeGetTime() - t0), 50u);
  const std::uint32_t t1 = plat::TimeGetTime();
  Advance(100);  // past the wrap
  const auto sleeps = sim::Stats().sleeps;
  PaceFrame(t1 + 70);
  EXPECT_EQ(plat::TimeGetTime() - t1, 120u);  // 30 ms of a frame begun at t1 + 70 had passed
  EXPECT_EQ(sim::Stats().sleeps, sleeps + 1);
}

TEST_F(Pacing, ALongFrameIsNotMadeUp) {
  struct Stop {};
  std::vector<std::uint64_t> yields;
  Cycle.Paused = kTrue;  // a paused frame: keys, one yield, pacing
  sim::SetYieldHook([&] {
    yields.push_back(sim::Elapsed());
    if (yields.size() == 3) plat::Sleep(70);  // this frame takes 70 ms
    if (yields.size() == 6) throw Stop{};
  });
  EXPECT_THROW(RunFrameLoop(), Stop);
  const std::vector<std::uint64_t> expected{0, 50, 100, 170, 220, 270};
  EXPECT_EQ(yields, expected);
}

}  // namespace
}  // namespace zb
