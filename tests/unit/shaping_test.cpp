// Shaping windows: sizes, outlines, the spare region, and the fatal paths.
#include <gtest/gtest.h>

#include "game/forms.h"
#include "platform/errors.h"
#include "shapes/balloon.h"
#include "shapes/pictures.h"
#include "shapes/shaping.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

using test::FlowTest;
using test::PxRect;
using test::Rec;

// The ship's outline, shapes 10 and 11.
plat::Region ShipOutline() {
  const std::vector<plat::Rect> rects{{4, 1, 6, 2},  {4, 2, 7, 3},  {5, 3, 8, 4},  {10, 3, 12, 4},
                                      {4, 4, 14, 5}, {2, 5, 15, 6}, {4, 6, 9, 7},  {10, 6, 15, 7},
                                      {4, 7, 7, 8},  {2, 8, 10, 9}};
  return plat::Region::FromRects(rects);
}

// Runs `f`, expecting the program to end with the fatal box showing `text`.
template <typename F>
void ExpectFatal(F&& f, const std::string& text) {
  try {
    f();
    ADD_FAILURE() << "no fatal end";
  } catch (const plat::ProgramExit& exit) {
    EXPECT_EQ(exit.status, 1);
  }
  const auto boxes = sim::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, text);
}

using Shaping = FlowTest;

TEST_F(Shaping, SizeSetsTheShapesSizeAndIgnoresOtherNumbers) {
  SizeWindowToShape(10, frmPlayer);
  EXPECT_EQ(PxRect(frmPlayer).Width(), 19);
  EXPECT_EQ(PxRect(frmPlayer).Height(), 10);
  for (int bad : {15, -1, 99}) {
    SizeWindowToShape(bad, frmPlayer);
    EXPECT_EQ(frmPlayer.Width(), 285);
    EXPECT_EQ(frmPlayer.Height(), 150);
  }
  SizeWindowToShape(6, frmBG);
  EXPECT_EQ(PxRect(frmBG).Width(), 1024);
  EXPECT_EQ(PxRect(frmBG).Height(), 99);
}

TEST_F(Shaping, CutGivesTheOutlineAndAnIndependentSpare) {
  SizeWindowToShape(10, frmPlayer);
  plat::Region spare = CutWindowToShape(10, frmPlayer);
  EXPECT_EQ(spare, ShipOutline());
  EXPECT_EQ(*Rec(frmPlayer).outline, ShipOutline());
  spare.Offset(5, 5);  // the caller's copy: the window keeps its outline
  EXPECT_EQ(*Rec(frmPlayer).outline, ShipOutline());
  EXPECT_EQ(CreateShapeRegion(11), ShipOutline());
}

TEST_F(Shaping, PicturesFollowTheShapeNumber) {
  SetShapePicture(11, frmPlayer);
  EXPECT_EQ(frmPlayer.Picture(), ShapePicture(11));
  EXPECT_THROW(SetShapePicture(15, frmPlayer), plat::RuntimeError);
}

TEST_F(Shaping, ShapeNumbersOutsideTheTableAreASubscriptError) {
  for (int bad : {-1, 16, 1000}) {
    try {
      CutWindowToShape(bad, frmPlayer);
      ADD_FAILURE() << bad;
    } catch (const plat::RuntimeError& e) {
      EXPECT_STREQ(e.what(), "Subscript out of range");
    }
    EXPECT_THROW(CreateShapeRegion(bad), plat::RuntimeError);
  }
  EXPECT_EQ(Rec(frmPlayer).shapeCount, 0);
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(Shaping, AnEmptyRecordCannotBeRead) {
  ExpectFatal([] { CutWindowToShape(15, frmPlayer); }, "It failed in reading of region data.");
  EXPECT_EQ(Rec(frmPlayer).shapeCount, 0);
}

TEST_F(Shaping, CreatingFromAnEmptyRecordIsFatalToo) {
  ExpectFatal([] { CreateShapeRegion(15); }, "It failed in reading of region data.");
}

TEST_F(Shaping, AWindowSystemThatCannotCutIsFatal) {
  sim::SetShapeSupported(false);
  ExpectFatal([] { CutWindowToShape(10, frmPlayer); }, "It failed in plastic surgery of a window.");
}

TEST_F(Shaping, ApplyingARegionThatCannotBeAppliedIsFatal) {
  sim::SetShapeSupported(false);
  ExpectFatal([] { ApplyWindowRegion(ShipOutline(), frmBG); },
              "It failed in plastic surgery of a window.");
}

TEST(RegionRecordWords, MalformedRecordsMakeNoRegion) {
  // {dwSize, iType, nCount, nRgnSize, bound x4, rect...}, room for two rectangles.
  using Words = std::array<std::uint32_t, 16>;
  const Words good{32, 1, 2, 32, 0, 0, 9, 9, 0, 0, 2, 2, 5, 5, 9, 9};
  const auto region = RegionFromRecordWords(good);
  ASSERT_TRUE(region);
  EXPECT_EQ(region->RectCount(), 2);

  auto broken = [&](int word, std::uint32_t value) {
    Words w = good;
    w[word] = value;
    return RegionFromRecordWords(w).has_value();
  };
  EXPECT_FALSE(broken(0, 0));   // header size
  EXPECT_FALSE(broken(1, 2));   // not rectangles
  EXPECT_FALSE(broken(2, 0));   // no rectangle
  EXPECT_FALSE(broken(2, 3));   // more than the record holds
  EXPECT_FALSE(broken(3, 16));  // byte count disagrees
  EXPECT_FALSE(broken(10, 0xFFFFFFFFu));  // right (-1) before left
  EXPECT_FALSE(broken(11, 0xFFFFFFFFu));  // bottom before top
  EXPECT_FALSE(RegionFromRecordWords(std::span<const std::uint32_t>(good.data(), 4)));
}

using BalloonShape = FlowTest;

TEST_F(BalloonShape, FailuresHaveTheirOwnMessages) {
  EXPECT_THROW(CutWindowToBalloonShape(5, frmL), plat::RuntimeError);
  EXPECT_THROW(CutWindowToBalloonShape(-1, frmL), plat::RuntimeError);
  ExpectFatal([] { CutWindowToBalloonShape(4, frmL); }, "リージョンデータの読み込みに失敗しました。");
}

TEST_F(BalloonShape, ACapThatCannotBeCutIsFatal) {
  sim::SetShapeSupported(false);
  ExpectFatal([] { CutWindowToBalloonShape(0, frmL); }, "ウィンドウの整形に失敗しました。");
}

}  // namespace
}  // namespace zb
