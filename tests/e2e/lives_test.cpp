// Lives: the ship held against the cave's ceiling loses a life at each hit
// after its second of invincibility, a lamp going dark each time; the third
// hit blows it up and the title comes back with both lamps lit.
#include <optional>
#include <thread>

#include "e2e/game.h"

namespace e2e {
namespace {

class Lives : public GameTest {
 protected:
  // The lamps' colours now: left, right; nullopt when not both are seen.
  std::optional<std::pair<std::uint32_t, std::uint32_t>> Lamps() {
    const std::optional<Window> lamps = X().One("frmShe");
    if (!lamps) return std::nullopt;
    const std::vector<Pixel> left = VisiblePixels(*lamps, plat::Region(plat::Rect{5, 5, 6, 6}));
    const std::vector<Pixel> right = VisiblePixels(*lamps, plat::Region(plat::Rect{17, 5, 18, 6}));
    if (left.empty() || right.empty()) return std::nullopt;
    return std::make_pair(left[0].rgb, right[0].rgb);
  }
  bool LampsAre(std::uint32_t left, std::uint32_t right) {
    const auto now = Lamps();
    return now && now->first == left && now->second == right;
  }
};

constexpr std::uint32_t kLit = 0x00ff00;
constexpr std::uint32_t kOut = 0x000000;

TEST_F(Lives, ThreeHitsDarkenTheLampsBlowTheShipUpAndReturnToTheTitle) {
  ASSERT_NO_FATAL_FAILURE(StartGame());
  ASSERT_TRUE(WaitForTitle(Ms(60000))) << Game().Stderr();
  ASSERT_NO_FATAL_FAILURE(PressSpaceAtTitle());
  ASSERT_TRUE(WaitUntil([&] { return BalloonGone(); }, Ms(10000)));
  EXPECT_TRUE(LampsAre(kLit, kLit));

  // Up into the ceiling and kept there.
  X().Key(key::kUp, true);
  ASSERT_TRUE(WaitUntil([&] { return LampsAre(kLit, kOut); }, Ms(30000), Ms(10)))
      << "the first hit does not put out the right lamp";
  // A second of invincibility, with its picture.
  std::this_thread::sleep_for(Ms(200));
  const Window hit = Get("frmPlayer");
  if (hit.rect.Width() == 19) ExpectShowsPicture(hit, 11);
  ASSERT_TRUE(WaitUntil([&] { return LampsAre(kOut, kOut); }, Ms(30000), Ms(10)))
      << "the second hit does not put out the left lamp";
  // The third: the blast frames (12 x 12) in place of the ship.
  const std::optional<Window> blast = X().WaitFor(
      "frmPlayer", Ms(30000), [](const Window& w) { return w.rect.Width() == 12 && w.rect.Height() == 12; });
  X().Key(key::kUp, false);
  ASSERT_TRUE(blast) << "the third hit does not blow the ship up";
  const Clock::time_point blown = Clock::now();

  // No message: the title again, both lamps lit, a whole ship at its start.
  ASSERT_TRUE(WaitForTitle(Ms(30000))) << "no title after the game is lost";
  EXPECT_GE(MsSince(blown), 500) << "the destruction is cut short";
  EXPECT_TRUE(WaitUntil([&] { return LampsAre(kLit, kLit); }, Ms(2000))) << "the lamps stay dark";
  const Window ship = Get("frmPlayer");
  EXPECT_EQ(ship.rect, (plat::Rect{37, WorkBottom() - 50, 56, WorkBottom() - 40}));
  EXPECT_TRUE(BalloonGone());
  ExpectRunning();
  EndThroughMenu();
}

}  // namespace
}  // namespace e2e
