// Whole games in virtual time: a player who flies into the ground loses
// three lives and is back at the title; game after game leaves nothing behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/state.h"
#include "game/flow/entry.h"
#include "game/flow/game_cycle.h"
#include "game/parts/lamps/lamps.h"
#include "game/parts/ship/ship_window.h"
#include "platform/keys.h"
#include "support/combat_fixture.h"

namespace zb::testing {
namespace {

struct StopPlaying {};
constexpr int kGroundRow = 1010;  // the ship's outline cuts into solid ground here

// What is alive at a title.
struct Census {
  int windows, timers;
  std::int64_t regions;
  friend bool operator==(const Census&, const Census&) = default;
};

// Holds Space (it starts every game), steers the ship down into the ground
// and keeps it there; stops the cycle at title number `titles` + 1.
class GroundedPlayer {
 public:
  explicit GroundedPlayer(int titles) : titles_(titles) {
    sim::PressKey(plat::VK_SPACE);
    sim::SetYieldHook([this] { Watch(); });
    sim::SetTimeLimit(3'600'000);
  }
  std::vector<Census> census;
  bool lampsDarkAtDestruction = false, lampsGreenAtTitles = true;

 private:
  static plat::Color Lamp(int i) { return Record(lampsWindow.lamps[i].Id()).backColor; }
  void Watch() {
    const bool above = Ship.y < kGroundRow * kTwips;
    if (above != sim::IsKeyHeld(plat::VK_DOWN)) {
      above ? sim::PressKey(plat::VK_DOWN) : sim::ReleaseKey(plat::VK_DOWN);
    }
    if (Ship.lives <= 0 && Ship.blastCycles > 0) {
      lampsDarkAtDestruction = Lamp(0) == kBlack && Lamp(1) == kBlack;
    }
    const bool title = bannerWindow.IsLoaded() && Record(bannerWindow.Id()).shown;
    if (title && !atTitle_) {
      lampsGreenAtTitles &= Lamp(0) == kGreen && Lamp(1) == kGreen;
      census.push_back({sim::LiveWindowCount(), sim::LiveTimerCount(), plat::Region::LiveCount()});
      if (static_cast<int>(census.size()) > titles_) throw StopPlaying{};
    }
    atTitle_ = title;
  }
  int titles_;
  bool atTitle_ = false;
};

class CombatGame : public CombatTest {
 protected:
  void SetUp() override {
    CombatTest::SetUp();
    ResetGameState();  // from the very start: no window yet
  }
};

TEST_F(CombatGame, ThreeLivesLostInTheGroundBringBackTheTitle) {
  GroundedPlayer player(1);
  EXPECT_THROW(RunGameCycle(), StopPlaying);
  ASSERT_EQ(player.census.size(), 2u);
  EXPECT_TRUE(player.lampsDarkAtDestruction);
  EXPECT_TRUE(player.lampsGreenAtTitles);
  EXPECT_EQ(Ship.lives, kStartingLives);
  EXPECT_EQ(Record(shipWindow.Id()).picture, ShapePicture(10));
  EXPECT_LT(sim::Elapsed(), 20'000u) << "the ground is deadly within seconds";
}

TEST_F(CombatGame, FiftyGamesLeaveNoWindowTimerOrRegionBehind) {
  GroundedPlayer player(50);
  EXPECT_THROW(RunGameCycle(), StopPlaying);
  ASSERT_EQ(player.census.size(), 51u);
  EXPECT_EQ(player.census[50], player.census[1]);
}

}  // namespace
}  // namespace zb::testing
