// The boss: entry slide and taunt, hits on the core, colours, shakes, wreck.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/state.h"
#include "game/flow/frame_loop.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/beam/beam.h"
#include "game/parts/boss/boss.h"
#include "platform/keys.h"
#include "support/combat_fixture.h"

namespace zb::testing {
namespace {

constexpr plat::Color kWhite = plat::RGB(255, 255, 255);
constexpr plat::Color kRed = plat::RGB(255, 0, 0);

// The boss stands at pixel 1024 on the bottom, as the stage places it.
class BossTest : public CombatTest {
 protected:
  void SetUp() override {
    CombatTest::SetUp();
    bossWindow.SetVisible(true);
    Boss.active = true;
    Boss.strength = 10;
  }
  // A beam just under 7 pixels right of the boss's left, 39 below its top.
  int HitCore(float dx = 104, float dy = 39 * kTwips) {
    return CheckBeamHit(bossWindow.Left() + dx, bossWindow.Top() + dy);
  }
  plat::Color Core() { return Record(bossWindow.core.Id()).backColor; }
  int Offset() { return static_cast<int>(bossWindow.Left()) / kTwips - 1024; }
  std::vector<int> Shake(int steps) {
    std::vector<int> offsets;
    while (steps-- > 0) {
      Wait(50);
      offsets.push_back(Offset());
    }
    return offsets;
  }
};

TEST_F(BossTest, SlidesInAPixelPerTickStopsFirstBelowItsStopXAndTaunts) {
  Boss.active = false;
  std::vector<std::string> said;
  sim::SetYieldHook([&said] {
    for (const auto& c : sim::FindWindows("frmC")) {
      for (const auto& t : c.texts) said.push_back(t.text);
    }
  });
  Boss.strength = 0;
  bossWindow.slideTimer.SetEnabled(true);
  while (!Boss.active && sim::Elapsed() < 10000) Wait(50);
  EXPECT_EQ(Boss.stopX, 1024 * kTwips - 555);
  EXPECT_EQ(Offset(), -38) << "the first left edge below Boss.stopX";
  EXPECT_EQ(sim::Elapsed(), 38 * 50 + 2000u) << "the taunt holds the game for 2 s";
  EXPECT_EQ(Boss.strength, 10);
  EXPECT_FALSE(bossWindow.slideTimer.Enabled() || balloonCentre.IsLoaded());
  ASSERT_FALSE(said.empty());
  EXPECT_EQ(said.back(), "生きて帰れるかな？！");
}

TEST_F(BossTest, TheCoreFlashesWhiteOnAHitThenShowsTheStrength) {
  EXPECT_EQ(HitCore(105) + HitCore(-315) + HitCore(104, 38 * kTwips) + HitCore(104, 43 * kTwips), 0);
  EXPECT_EQ(Boss.strength, 10);
  EXPECT_EQ(HitCore(), 1);
  EXPECT_EQ(Boss.strength, 9);
  EXPECT_EQ(Core(), kWhite);
  Wait(100);
  EXPECT_EQ(Core(), kGreen);
  Boss.strength = 6;
  HitCore();
  Wait(100);
  EXPECT_EQ(Core(), plat::RGB(252, 236, 128));
  HitCore();
  Wait(100);
  EXPECT_EQ(Core(), kRed);
}

TEST_F(BossTest, AShakeFollowsTheTableAndARestartKeepsTheOffsetGathered) {
  HitCore();
  Wait(100);
  EXPECT_EQ(Shake(9), (std::vector<int>{-3, -1, 1, -2, 0, 2, 0, 0, 0}));
  EXPECT_FALSE(bossWindow.shakeTimer.Enabled());
  HitCore();
  Wait(100);  // shake steps fall 50, 100, 150 ... ms from here
  Shake(2);
  Wait(25);
  HitCore();  // its reaction falls between steps 3 and 4
  Wait(25);
  EXPECT_EQ(Shake(1), std::vector<int>{-2});
  Wait(25);
  EXPECT_EQ(Boss.shakeStep, 0) << "restarted";
  EXPECT_EQ(Shake(8).back(), -2);
  EXPECT_FALSE(bossWindow.shakeTimer.Enabled());
}

TEST_F(BossTest, TheLastHitStartsNoShakeAndTheWreckIsSetUpOnce) {
  Boss.strength = 1;
  HitCore();
  Wait(100);
  EXPECT_FALSE(bossWindow.shakeTimer.Enabled());
  EXPECT_EQ(Core(), kRed);
  const int cuts = Record(bossWindow.Id()).shapeCount;
  EXPECT_FALSE(RunOneFrame().has_value());
  EXPECT_EQ(Boss.defeated, true);
  EXPECT_EQ(RunOneFrame(), StageEnd::kWin);
  const auto wreck = Record(bossWindow.Id());
  EXPECT_EQ(wreck.shapeCount, cuts + 1);
  EXPECT_EQ(wreck.rect, (plat::Rect{1024, 1024 - 45, 1024 + 61, 1024}));
  EXPECT_EQ(wreck.picture, ShapePicture(9));
  EXPECT_TRUE(wreck.visible);
  EXPECT_FALSE(Record(bossWindow.core.Id()).visible);
}

// The boss falls in the frame of the ship's last hit; Home pressed in frame
// `homeFrame` of the destruction (none when negative). Returns how the stage
// ended, in how many frames, and how often the boss's window was cut.
struct LastHitEnd {
  std::optional<StageEnd> end;
  int frames = 0;
  int cuts = 0;
};
LastHitEnd FallInTheShipsLastHit(int homeFrame) {
  Boss.strength = 1;
  CheckBeamHit(bossWindow.Left() + 104, bossWindow.Top() + 39 * kTwips);
  Ship.lives = 1;
  Ship.hit = true;  // hit in the frame that sees the boss fall
  const int cuts = Record(bossWindow.Id()).shapeCount;
  LastHitEnd result;
  while (!(result.end = RunOneFrame()) && ++result.frames < 200) {
    if (result.frames == homeFrame) sim::PressKey(plat::VK_HOME);
  }
  result.cuts = Record(bossWindow.Id()).shapeCount - cuts;
  return result;
}

TEST_F(BossTest, TheBossFallingInTheFrameOfTheShipsLastHitIsALostGame) {
  const LastHitEnd run = FallInTheShipsLastHit(-1);
  EXPECT_TRUE(Boss.defeated);
  EXPECT_EQ(run.end, StageEnd::kGameOver);
  EXPECT_EQ(run.frames, 20) << "the whole destruction is shown";
  EXPECT_EQ(run.cuts, 1) << "the wreck is set up once";
}

TEST_F(BossTest, TheBossFallingInTheFrameOfTheShipsLastHitEndsTheStageEvenWhenHomeFreezesTheShip) {
  const LastHitEnd run = FallInTheShipsLastHit(5);
  EXPECT_TRUE(Boss.defeated);
  EXPECT_EQ(run.end, StageEnd::kGameOver);
  EXPECT_LT(run.frames, 20) << "the frozen destruction ends the stage at once";
  EXPECT_EQ(run.cuts, 1) << "the wreck is set up once";
}

}  // namespace
}  // namespace zb::testing
