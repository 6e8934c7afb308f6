// Whole games in virtual time: a player who flies into the ground loses
// three lives and is back at the title; game after game leaves nothing behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/forms.h"
#include "game/game_cycle.h"
#include "game/globals.h"
#include "platform/keys.h"
#include "shapes/pictures.h"
#include "support/combat_fixture.h"

namespace zb::testing {
namespace {

struct StopPlaying {};

// A screen row where the ship's outline cuts into the solid ground.
constexpr int kGroundRow = 1010;

// What is alive at a title.
struct Census {
  int windows = 0;
  int timers = 0;
  std::int64_t regions = 0;
  friend bool operator==(const Census&, const Census&) = default;
};

// Holds Space (starts every game) and steers the ship down into the ground
// of the scenery strip and keeps it there; counts the titles and stops the
// cycle after `titles` of them.
class GroundedPlayer {
 public:
  explicit GroundedPlayer(int titles) : titles_(titles) {
    sim::PressKey(plat::VK_SPACE);
    sim::SetYieldHook([this] { Watch(); });
  }
  ~GroundedPlayer() { sim::SetYieldHook({}); }

  std::vector<Census> census;
  bool lampsDarkAtDestruction = false;
  bool lampsGreenAtTitle = true;

 private:
  void Watch() {
    const bool aboveGround = Player.PlayerY < kGroundRow * kTwips;
    if (aboveGround != sim::IsKeyHeld(plat::VK_DOWN)) {
      aboveGround ? sim::PressKey(plat::VK_DOWN) : sim::ReleaseKey(plat::VK_DOWN);
    }
    const bool title = frmSTAFF.IsLoaded() && Record(frmSTAFF.hWnd()).shown;
    if (Player.PlayerLives <= 0 && Player.PlayerDeadFrames > 0) {
      lampsDarkAtDestruction = Lamp(0) == kBlack && Lamp(1) == kBlack;
    }
    if (title && !atTitle_) {
      lampsGreenAtTitle &= Lamp(0) == kGreen && Lamp(1) == kGreen;
      census.push_back({sim::LiveWindowCount(), sim::LiveTimerCount(),
                        plat::Region::LiveCount()});
      if (static_cast<int>(census.size()) > titles_) throw StopPlaying{};
    }
    atTitle_ = title;
  }
  static plat::Color Lamp(int i) { return Record(frmShe.Label1[i].hWnd()).backColor; }

  int titles_;
  bool atTitle_ = false;
};

using CombatGame = CombatTest;

TEST_F(CombatGame, ThreeLivesLostInTheGroundBringBackTheTitle) {
  UnloadAllForms();
  Player = {};
  GroundedPlayer player(1);
  sim::SetTimeLimit(120'000);
  EXPECT_THROW(RunGameCycle(), StopPlaying);
  ASSERT_EQ(player.census.size(), 2u);
  EXPECT_TRUE(player.lampsDarkAtDestruction);
  EXPECT_TRUE(player.lampsGreenAtTitle);
  EXPECT_EQ(Player.PlayerLives, 3);
  EXPECT_EQ(Player.PlayerDeadFrames, 0);
  EXPECT_EQ(Record(frmPlayer.hWnd()).picture, ShapePicture(10));
  EXPECT_LT(sim::Elapsed(), 20'000u) << "the ground is deadly within seconds";
}

TEST_F(CombatGame, GameAfterGameLeavesNoWindowTimerOrRegionBehind) {
  UnloadAllForms();
  GroundedPlayer player(50);
  sim::SetTimeLimit(3'600'000);
  EXPECT_THROW(RunGameCycle(), StopPlaying);
  ASSERT_EQ(player.census.size(), 51u);
  EXPECT_EQ(player.census[50], player.census[1]);
  EXPECT_EQ(player.census[25], player.census[1]);
}

}  // namespace
}  // namespace zb::testing
