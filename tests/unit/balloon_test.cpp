// The speech balloon: where its three windows go for both kinds, the text,
// the close label and the borders.
#include <gtest/gtest.h>

#include "game/forms.h"
#include "platform/events.h"
#include "shapes/balloon.h"
#include "shapes/pictures.h"
#include "shapes/shaping.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

using test::PxRect;
using test::Rec;
using test::Shown;

// In the simulated font a full-width character at 8.25 pt is 12 pixels.
constexpr int kFullWidthPx = 12;

plat::Region CapOutline(int record, int width) {
  auto region = *RegionFromRecordWords(BalloonTable[record].words);
  region.Intersect(plat::Region(plat::Rect{0, 0, width, 18}));
  return region;
}

class Balloon : public test::FlowTest {};

TEST_F(Balloon, TailLeftStartsAtTheAnchorAndRisesAboveIt) {
  ShowBalloon("いくぞ！", 1500, 9000, TailLeft, 1, "");
  const int textPx = 4 * kFullWidthPx;
  // A new frmL is 150 twips high: the top is 10 pixels above the anchor.
  EXPECT_EQ(PxRect(frmL), (plat::Rect{100, 590, 108, 608}));
  EXPECT_EQ(PxRect(frmC), (plat::Rect{108, 591, 108 + textPx, 606}));
  EXPECT_EQ(PxRect(frmR), (plat::Rect{108 + textPx, 590, 108 + textPx + 7, 608}));
  EXPECT_EQ(frmL.Picture(), BalloonCapPicture(0));
  EXPECT_EQ(frmR.Picture(), BalloonCapPicture(1));
  EXPECT_EQ(*Rec(frmL).outline, CapOutline(0, 8));
  EXPECT_EQ(*Rec(frmR).outline, CapOutline(1, 7));
  EXPECT_TRUE(Shown(frmL) && Shown(frmC) && Shown(frmR));
  EXPECT_EQ(BalloonShapesBuilt, kTrue);
}

TEST_F(Balloon, TailRightEndsWithItsRightCapAtTheAnchor) {
  ShowBalloon("生きて帰れるかな？！", 6000, 9000, TailRight, 1, "");
  const int textPx = 10 * kFullWidthPx;
  EXPECT_EQ(PxRect(frmR).left, 400);  // the anchor, 6000 twips
  EXPECT_EQ(PxRect(frmR).Width(), 8);
  EXPECT_EQ(PxRect(frmC).Width(), textPx);
  EXPECT_EQ(PxRect(frmL), (plat::Rect{400 - textPx - 7, 590, 400 - textPx, 608}));
  EXPECT_EQ(frmL.Picture(), BalloonCapPicture(2));
  EXPECT_EQ(frmR.Picture(), BalloonCapPicture(3));
  EXPECT_EQ(*Rec(frmL).outline, CapOutline(2, 7));
  EXPECT_EQ(*Rec(frmR).outline, CapOutline(3, 8));
}

TEST_F(Balloon, ABalloonShownWhileOneIsOpenStandsOnTheCapsHeight) {
  ShowBalloon("うぉ！", 1500, 9000, TailLeft, 1, "");
  ShowBalloon("やったぜ！！", 1500, 9000, TailLeft, 1, "");
  EXPECT_EQ(PxRect(frmL).top, 582);  // 270 twips above the anchor
  EXPECT_EQ(PxRect(frmC).Width(), 6 * kFullWidthPx);
  ASSERT_EQ(Rec(frmC).texts.size(), 1u);  // the old line was cleared
  EXPECT_EQ(Rec(frmC).texts[0].text, "やったぜ！！");
  CloseBalloon();
  ShowBalloon("うぉ！", 1500, 9000, TailLeft, 1, "");
  EXPECT_EQ(PxRect(frmL).top, 590);  // closed: created afresh at 150 twips
}

TEST_F(Balloon, TextAndBordersOfTheCentre) {
  ShowBalloon("いくぞ！", 1500, 9000, TailLeft, 1, "");
  const auto centre = Rec(frmC);
  ASSERT_EQ(centre.texts.size(), 1u);
  EXPECT_EQ(centre.texts[0].text, "いくぞ！");
  EXPECT_EQ(centre.texts[0].font, (plat::FontSpec{"ＭＳ Ｐゴシック", 8.25, false}));
  EXPECT_EQ(centre.texts[0].color, plat::RGB(0, 0, 0));
  EXPECT_EQ(centre.texts[0].x, 0);
  EXPECT_EQ(centre.texts[0].y, 3);  // 40 twips down
  EXPECT_EQ(centre.backColor, plat::RGB(255, 255, 255));
  const auto line1 = Rec(frmC.Line1);
  const auto line2 = Rec(frmC.Line2);
  EXPECT_EQ(std::tie(line1.x1, line1.y1, line1.x2, line1.y2), std::make_tuple(0, 0, 48, 0));
  EXPECT_EQ(std::tie(line2.x1, line2.y1, line2.x2, line2.y2), std::make_tuple(0, 14, 48, 14));
}

TEST_F(Balloon, CloseLabelWithoutCaptionStaysAtItsDesignPlace) {
  ShowBalloon("いくぞ！", 1500, 9000, TailLeft, 1, "");
  const auto label = Rec(frmC.cmdClose);
  EXPECT_TRUE(label.visible);
  EXPECT_EQ(label.caption, "");
  EXPECT_EQ(label.rect.left, 176);  // 2640 twips, beyond the centre
  EXPECT_EQ(frmC.cmdClose.Top(), 30);  // (225 - 165) \ 2 twips, read back as 2 pixels
}

TEST_F(Balloon, CloseLabelFlagZeroHidesIt) {
  ShowBalloon("いくぞ！", 1500, 9000, TailLeft, 0, "");
  EXPECT_FALSE(Rec(frmC.cmdClose).visible);
  EXPECT_EQ(PxRect(frmC).Width(), 48);
}

TEST_F(Balloon, ACaptionedCloseLabelSitsAtTheRightEndAndClosesTheBalloon) {
  ShowBalloon("いくぞ！", 1500, 9000, TailLeft, 1, "[x]");
  EXPECT_EQ(PxRect(frmC).Width(), 50 + 48);  // 750 twips of label + the text
  const auto label = Rec(frmC.cmdClose);
  EXPECT_EQ(label.rect.left, 48);
  EXPECT_EQ(label.caption, "[x]");
  sim::Click(frmC.hWnd(), plat::kLeftButton, 50, 5);
  plat::DoEvents();
  EXPECT_FALSE(frmL.IsLoaded());
  EXPECT_FALSE(frmC.IsLoaded());
  EXPECT_FALSE(frmR.IsLoaded());
}

TEST_F(Balloon, OtherKindsLeaveTheCapsAsTheyAre) {
  ShowBalloon("いくぞ！", 1500, 9000, 7, 1, "");
  EXPECT_EQ(PxRect(frmL).left, 100);  // at the anchor, design size
  EXPECT_EQ(PxRect(frmL).Height(), 10);
  EXPECT_EQ(Rec(frmL).shapeCount, 0);
}

}  // namespace
}  // namespace zb
