// The boss: entry slide and taunt, hits on the core, colours, shakes, and
// the wreck.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enemies/boss.h"
#include "enemies/enemies.h"
#include "game/forms.h"
#include "game/frame_steps.h"
#include "game/globals.h"
#include "game/stage_setup.h"
#include "player/player.h"
#include "shapes/pictures.h"
#include "support/combat_fixture.h"

namespace zb::testing {
namespace {

constexpr plat::Color kWhite = plat::RGB(255, 255, 255);
constexpr plat::Color kPaleYellow = plat::RGB(252, 236, 128);
constexpr plat::Color kRed = plat::RGB(255, 0, 0);

class BossTest : public CombatTest {
 protected:
  void SetUp() override {
    CombatTest::SetUp();
    PlaceBoss();
    frmBoss.SetVisible(true);
  }
  // A beam on the core: its left end just under 7 pixels right of the boss's
  // left edge, 39 pixels below its top.
  int HitCore() { return CheckShotHit(frmBoss.Left() + 104, frmBoss.Top() + 39 * kTwips); }
  plat::Color Core() { return Record(frmBoss.CT.hWnd()).backColor; }
  int LeftPx() { return static_cast<int>(frmBoss.Left()) / kTwips; }
};

TEST(BossCore, ColourByStrength) {
  EXPECT_EQ(CoreColor(11), kBlack);
  EXPECT_EQ(CoreColor(10), kGreen);
  EXPECT_EQ(CoreColor(8), kGreen);
  EXPECT_EQ(CoreColor(7), kPaleYellow);
  EXPECT_EQ(CoreColor(5), kPaleYellow);
  EXPECT_EQ(CoreColor(4), kRed);
  EXPECT_EQ(CoreColor(0), kRed);
  EXPECT_EQ(CoreColor(-1), kBlack);
}

TEST_F(BossTest, SlidesInAPixelPerTickStopsBelowBossStopXAndTaunts) {
  std::vector<std::string> said;
  sim::SetYieldHook([&said] {
    for (const auto& c : sim::FindWindows("frmC")) {
      for (const auto& t : c.texts) said.push_back(t.text);
    }
  });
  EXPECT_EQ(Cycle.BossStopX, 1024 * kTwips - 555);
  frmBoss.Timer1.SetEnabled(true);
  while (Cycle.BossActive == kFalse && sim::Elapsed() < 10000) Wait(50);
  EXPECT_EQ(LeftPx(), 1024 - 38) << "the first Left below BossStopX";
  EXPECT_EQ(sim::Elapsed(), 38 * 50 + 2000u) << "the taunt holds the game for 2 s";
  EXPECT_EQ(frmBoss.nPower, 10);
  EXPECT_EQ(Cycle.BossDefeated, kFalse);
  EXPECT_FALSE(frmBoss.Timer1.Enabled());
  EXPECT_FALSE(frmC.IsLoaded());
  ASSERT_FALSE(said.empty());
  EXPECT_EQ(said.back(), "生きて帰れるかな？！");
}

TEST_F(BossTest, TheCoreFlashesWhiteThenShowsTheStrength) {
  Cycle.BossActive = kTrue;
  frmBoss.nPower = 10;
  const float l = frmBoss.Left(), t = frmBoss.Top();
  EXPECT_EQ(CheckShotHit(l + 105, t + 39 * kTwips), 0);
  EXPECT_EQ(CheckShotHit(l - 315, t + 39 * kTwips), 0);
  EXPECT_EQ(CheckShotHit(l + 104, t + 38 * kTwips), 0);
  EXPECT_EQ(CheckShotHit(l + 104, t + 43 * kTwips), 0);
  EXPECT_EQ(frmBoss.nPower, 10);
  EXPECT_EQ(HitCore(), 1);
  EXPECT_EQ(frmBoss.nPower, 9);
  EXPECT_EQ(Core(), kWhite);
  Wait(100);
  EXPECT_EQ(Core(), kGreen);
  EXPECT_EQ(frmBoss.Timer2.Interval(), 0);
  frmBoss.nPower = 6;
  HitCore();
  Wait(100);
  EXPECT_EQ(Core(), kPaleYellow);
  HitCore();
  Wait(100);
  EXPECT_EQ(Core(), kRed);
}

TEST_F(BossTest, AShakeFollowsTheTableAndEndsWhereItStarted) {
  Cycle.BossActive = kTrue;
  frmBoss.nPower = 10;
  const int start = LeftPx();
  HitCore();
  Wait(100);
  std::vector<int> offsets;
  for (int tick = 0; tick < 9; ++tick) {
    Wait(50);
    offsets.push_back(LeftPx() - start);
  }
  EXPECT_EQ(offsets, (std::vector<int>{-3, -1, 1, -2, 0, 2, 0, 0, 0}));
  EXPECT_FALSE(frmBoss.Timer3.Enabled());
}

TEST_F(BossTest, AHitDuringAShakeRestartsItAndTheOffsetRemains) {
  Cycle.BossActive = kTrue;
  frmBoss.nPower = 10;
  const int start = LeftPx();
  HitCore();
  Wait(100);  // the shake starts; its steps fall at 150, 200, 250, 300 ms ...
  Wait(50);
  Wait(50);
  Wait(25);
  HitCore();  // the reaction falls due at 325 ms
  Wait(25);
  Wait(50);
  EXPECT_EQ(LeftPx() - start, -2) << "steps 0 to 3 made";
  Wait(25);
  EXPECT_EQ(frmBoss.nBururu, 0) << "restarted";
  for (int n = 0; n < 20; ++n) Wait(25);
  EXPECT_EQ(LeftPx() - start, -2);
  EXPECT_FALSE(frmBoss.Timer3.Enabled());
}

TEST_F(BossTest, TheLastHitStartsNoShakeAndTheWreckIsSetUpOnce) {
  SetUpStage();
  Cycle.BossActive = kTrue;
  frmBoss.SetVisible(true);
  frmBoss.nPower = 1;
  HitCore();
  Wait(100);
  EXPECT_FALSE(frmBoss.Timer3.Enabled());
  EXPECT_EQ(Core(), kRed);
  const int shapesBefore = Record(frmBoss.hWnd()).shapeCount;
  EXPECT_FALSE(RunOneFrame().has_value());
  EXPECT_EQ(Cycle.BossDefeated, kTrue);
  EXPECT_EQ(RunOneFrame(), StageEnd::kWin);
  const auto wreck = Record(frmBoss.hWnd());
  EXPECT_EQ(wreck.shapeCount, shapesBefore + 1);
  EXPECT_EQ(wreck.rect.Width(), 61);
  EXPECT_EQ(wreck.rect.bottom, 1024) << "stands on the bottom";
  EXPECT_EQ(wreck.picture, ShapePicture(9));
  EXPECT_TRUE(wreck.visible);
  EXPECT_FALSE(Record(frmBoss.CT.hWnd()).visible);
}

}  // namespace
}  // namespace zb::testing
