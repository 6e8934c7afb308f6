// Start-up to the title: the lamps and the title window, each cut to its
// outline and standing where the work area ends, and Space to begin.
#include <optional>
#include <thread>

#include "e2e/game.h"

namespace e2e {
namespace {

struct TitleCase {
  const char* label;
  GameOptions options;
};

void PrintTo(const TitleCase& c, std::ostream* os) { *os << c.label; }

class Title : public GameTest, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(Title, LampsAndTitleStandOnTheWorkAreaCutToTheirOutlinesAndSpaceStarts) {
  ASSERT_NO_FATAL_FAILURE(StartGame(GetParam().options));
  const std::optional<Window> title = WaitForTitle(Ms(60000));
  ASSERT_TRUE(title) << "no title within 60 s; " << Game().Stderr();

  const std::optional<Window> lamps = X().One("frmShe");
  ASSERT_TRUE(lamps);
  EXPECT_EQ(lamps->rect, (plat::Rect{0, WorkBottom() - 11, 25, WorkBottom()}));
  const plat::Rect lampRects[] = {{1, 1, 11, 10}, {13, 1, 23, 10}};
  EXPECT_EQ(X().Shape(lamps->id), plat::Region::FromRects(lampRects));
  // Both lamps lit.
  for (const plat::Rect& r : lampRects) {
    EXPECT_TRUE(WaitForColour(*lamps, plat::Region(r), 0x00ff00)) << "a lamp is not lit";
  }

  const int left = (ScreenWidth() - 300) / 2;
  EXPECT_EQ(title->rect, (plat::Rect{left, WorkBottom() - 72, left + 300, WorkBottom() - 24}));
  EXPECT_EQ(X().Shape(title->id), TableOutline(4, 300, 48));
  ExpectShowsPicture(*title, 4);

  // The stage stands ready behind the title.
  const std::optional<Window> ship = X().One("frmPlayer");
  ASSERT_TRUE(ship);
  EXPECT_EQ(ship->rect.left, 37);  // column 36 and the first half-pixel step
  EXPECT_EQ(ship->rect.Width(), 19);
  EXPECT_EQ(ship->rect.Height(), 10);
  EXPECT_EQ(ship->rect.top, WorkBottom() - 50);
  ExpectAllOverrideRedirect();

  // The title waits: nothing moves until Space.
  const plat::Rect shipBefore = ship->rect;
  std::this_thread::sleep_for(Ms(600));
  ASSERT_TRUE(X().One("frmSTAFF")) << "the title went without Space";
  EXPECT_EQ(Get("frmPlayer").rect, shipBefore);

  ASSERT_NO_FATAL_FAILURE(PressSpaceAtTitle());
  EXPECT_TRUE(WaitForBalloon(Ms(10000))) << "no balloon after Space";
  ExpectRunning();
  EndThroughMenu();
}

INSTANTIATE_TEST_SUITE_P(
    Screens, Title,
    ::testing::Values(TitleCase{"Plain1280x1024", {}},
                      // An odd width, and a panel of 40 pixels along the bottom.
                      TitleCase{"Odd1023x768WithPanel", {1023, 768, plat::Rect{0, 0, 1023, 728}, {}}}),
    [](const ::testing::TestParamInfo<TitleCase>& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace e2e
