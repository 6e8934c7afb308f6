// Screens far from the usual: narrower than the scenery strip, 8K, and work
// areas gone wrong (empty, a sliver), which give way to the whole screen.
// The program starts, shows the title, plays a few seconds and keeps its
// windows on the bottom of the work area; below the stage's width it says
// once that the boss will be off the screen.
#include <optional>
#include <thread>

#include "e2e/game.h"

namespace e2e {
namespace {

struct ScreenCase {
  const char* label;
  GameOptions options;
  bool workAreaIgnored = false;
};

void PrintTo(const ScreenCase& c, std::ostream* os) { *os << c.label; }

class ScreenSize : public GameTest, public ::testing::WithParamInterface<ScreenCase> {
 protected:
  int Bottom() const { return GetParam().workAreaIgnored ? ScreenHeight() : WorkBottom(); }

  // Every mapped sprite of the game ends at the bottom of the work area or
  // above it. The windows of the enemy shots and the burst dots are left
  // out: the game places them over the whole screen, their outlines being
  // the shots and dots wherever they fly.
  void ExpectNothingBelowTheWorkArea(const char* when) {
    for (const Window& w : X().Mapped()) {
      if (w.name.rfind("frm", 0) != 0 || w.name == "frmEShot" || w.name == "frmDot") continue;
      EXPECT_LE(w.rect.bottom, Bottom()) << when << ": " << w.name << " reaches below the work area";
    }
  }
};

TEST_P(ScreenSize, TitleAndPlayStandOnTheWorkArea) {
  ASSERT_NO_FATAL_FAILURE(StartGame(GetParam().options));
  const std::optional<Window> title = WaitForTitle(Ms(60000));
  ASSERT_TRUE(title) << "no title; " << Game().Stderr();
  const int left = (ScreenWidth() - 300) / 2;
  EXPECT_EQ(title->rect, (plat::Rect{left, Bottom() - 72, left + 300, Bottom() - 24}));
  EXPECT_EQ(Get("frmShe").rect, (plat::Rect{0, Bottom() - 11, 25, Bottom()}));
  ExpectNothingBelowTheWorkArea("title");
  std::size_t warnings = 0;
  for (std::size_t at = 0; (at = Game().Stderr().find("the stage needs 1061", at)) != std::string::npos; ++at) {
    ++warnings;
  }
  EXPECT_EQ(warnings, ScreenWidth() < 1061 ? 1u : 0u) << Game().Stderr();

  ASSERT_NO_FATAL_FAILURE(PressSpaceAtTitle());
  ASSERT_TRUE(WaitForBalloon(Ms(10000))) << "no launch balloon";
  ASSERT_TRUE(WaitUntil([&] { return BalloonGone(); }, Ms(10000))) << "the balloon stays";
  ASSERT_TRUE(ShipMoves(X(), Ms(5000))) << "the ship does not fly";
  X().Tap(key::kHome);
  EXPECT_EQ(Get("frmBG").rect, (plat::Rect{0, Bottom() - 99, 1024, Bottom()}));

  // A few seconds of play: forward, up and down, firing.
  const Window start = Get("frmPlayer");
  X().Key(key::kRight, true);
  for (int i = 0; i < 6; ++i) {
    X().Tap(key::kSpace, Ms(40));
    X().Key(i % 2 ? key::kDown : key::kUp, true);
    std::this_thread::sleep_for(Ms(300));
    X().Key(i % 2 ? key::kDown : key::kUp, false);
    ExpectNothingBelowTheWorkArea("play");
  }
  X().Key(key::kRight, false);
  EXPECT_GT(Get("frmPlayer").rect.left, start.rect.left) << "the ship does not fly";
  EXPECT_EQ(Get("frmBG").rect.bottom, Bottom());
  ExpectRunning();
  // The menu opens on a work area gone wrong too (Qt would give it no room
  // on an empty one).
  EndThroughMenu();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ScreenSize,
    ::testing::Values(
        ScreenCase{"NarrowerThanTheStrip", {800, 600, plat::Rect{0, 0, 800, 570}, {}}},
        ScreenCase{"EightK", {7680, 4320, plat::Rect{0, 0, 7680, 4280}, {}}},
        ScreenCase{"EmptyWorkArea", {1280, 1024, plat::Rect{0, 0, 1280, 0}, {}}, true},
        ScreenCase{"SliverOfAWorkArea", {1280, 1024, plat::Rect{600, 0, 640, 1024}, {}}, true}),
    [](const ::testing::TestParamInfo<ScreenCase>& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace e2e
