// The speech balloon: where its three windows go for both kinds, the text,
// the close label and the borders.
#include <gtest/gtest.h>

#include "game/base/game_windows.h"
#include "platform/events.h"
#include "game/parts/balloon/balloon.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

using test::PxRect;
using test::Rec;

// In the simulated font a full-width character at 8.25 pt is 12 pixels.
constexpr int kFullWidthPx = 12;

using Balloon = test::FlowTest;

TEST_F(Balloon, TailLeftStartsAtTheAnchor) {
  ShowBalloon("いくぞ！", 1500, 9000, TailLeft, 1, "");  // anchor at pixel (100, 600)
  const int text = 4 * kFullWidthPx;
  EXPECT_EQ(PxRect(balloonLeft), (plat::Rect{100, 590, 108, 608}));  // a new balloonLeft is 150 twips high
  EXPECT_EQ(PxRect(balloonCentre), (plat::Rect{108, 591, 108 + text, 606}));
  EXPECT_EQ(PxRect(balloonRight), (plat::Rect{108 + text, 590, 108 + text + 7, 608}));
  EXPECT_EQ(Rec(balloonLeft).outline->Extents(), (plat::Rect{0, 1, 8, 18}));  // the tail reaches row 17
  EXPECT_TRUE(Rec(balloonLeft).shown && Rec(balloonCentre).shown && Rec(balloonRight).shown);
  const auto printed = Rec(balloonCentre).texts.at(0);
  EXPECT_EQ(std::tie(printed.text, printed.x, printed.y), std::make_tuple("いくぞ！", 0, 3));
  EXPECT_EQ(printed.font, (plat::TextFont{"ＭＳ Ｐゴシック", 8.25, false}));
  const auto bottom = Rec(balloonCentre.bottomLine);
  EXPECT_EQ(std::tie(bottom.x1, bottom.y1, bottom.x2, bottom.y2), std::make_tuple(0, 14, text, 14));
  EXPECT_EQ(Rec(balloonCentre.closeLabel).rect.left, 176);  // no caption: stays at its design place
}

TEST_F(Balloon, TailRightEndsWithItsRightCapAtTheAnchor) {
  ShowBalloon("生きて帰れるかな？！", 6000, 9000, TailRight, 0, "");
  const int text = 10 * kFullWidthPx;
  EXPECT_EQ(PxRect(balloonRight), (plat::Rect{400, 590, 408, 608}));
  EXPECT_EQ(PxRect(balloonCentre).Width(), text);
  EXPECT_EQ(PxRect(balloonLeft), (plat::Rect{400 - text - 7, 590, 400 - text, 608}));
  EXPECT_FALSE(Rec(balloonCentre.closeLabel).visible);
}

TEST_F(Balloon, ABalloonShownWhileOneIsOpenStandsOnTheCapsHeight) {
  ShowBalloon("うぉ！", 1500, 9000, TailLeft, 1, "");
  ShowBalloon("やったぜ！！", 1500, 9000, TailLeft, 1, "");
  EXPECT_EQ(PxRect(balloonLeft).top, 582);  // 270 twips above the anchor
  EXPECT_EQ(Rec(balloonCentre).texts.size(), 1u);
  CloseBalloon();
  ShowBalloon("うぉ！", 1500, 9000, TailLeft, 1, "");
  EXPECT_EQ(PxRect(balloonLeft).top, 590);
}

TEST_F(Balloon, ACaptionedCloseLabelSitsAtTheRightEndAndCloses) {
  ShowBalloon("いくぞ！", 1500, 9000, TailLeft, 1, "[x]");
  EXPECT_EQ(PxRect(balloonCentre).Width(), 50 + 48);  // 750 twips of label + the text
  EXPECT_EQ(Rec(balloonCentre.closeLabel).rect.left, 48);
  sim::Click(balloonCentre.Id(), plat::kLeftButton, 50, 5);
  plat::DoEvents();
  EXPECT_FALSE(balloonLeft.IsLoaded() || balloonCentre.IsLoaded() || balloonRight.IsLoaded());
}

}  // namespace
}  // namespace zb
