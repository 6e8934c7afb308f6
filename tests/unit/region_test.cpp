// Regions: the canonical banded form, classification, hit tests, offsets.
#include "platform/region.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using plat::Rect;
using plat::Region;
using plat::RegionKind;

using Rects = std::vector<Rect>;

Region Of(const Rects& rects) { return Region::FromRects(rects); }

// The L shape: a 10 x 5 bar with a 5 x 5 leg below its left half.
//   y 0..5:  x 0..10
//   y 5..10: x 0..5
Region LShape() { return Of({{0, 0, 10, 5}, {0, 5, 5, 10}}); }

Region Intersection(Region a, const Region& b) {
  a.Intersect(b);
  return a;
}

TEST(RegionTest, AnEmptyRegionHasNoPixel) {
  const Region r;
  EXPECT_EQ(r.Kind(), RegionKind::kEmpty);
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_EQ(r.RectCount(), 0);
  EXPECT_EQ(r.Extents(), Rect{});
  EXPECT_TRUE(Region(Rect{5, 5, 5, 9}).IsEmpty());  // no width
}

TEST(RegionTest, TheLShapeIsTwoBands) {
  const Region l = LShape();
  EXPECT_EQ(l.Kind(), RegionKind::kComplex);
  EXPECT_EQ(l.Rects(), (Rects{{0, 0, 10, 5}, {0, 5, 5, 10}}));
  EXPECT_EQ(l.Extents(), (Rect{0, 0, 10, 10}));
}

TEST(RegionTest, AnIntersectionThatIsOneRectangle) {
  const Region r = Intersection(Region(Rect{0, 0, 10, 10}), Region(Rect{5, 5, 20, 20}));
  EXPECT_EQ(r.Kind(), RegionKind::kSimple);
  EXPECT_EQ(r.Rects(), (Rects{{5, 5, 10, 10}}));
}

TEST(RegionTest, AnIntersectionWhoseBandsCoalesceIsSimple) {
  // y 0..5: x 0..5 and y 5..10: x 0..5 have identical spans: one rectangle.
  const Region r = Intersection(LShape(), Region(Rect{0, 0, 5, 10}));
  EXPECT_EQ(r.Kind(), RegionKind::kSimple);
  EXPECT_EQ(r.Rects(), (Rects{{0, 0, 5, 10}}));
}

TEST(RegionTest, AnIntersectionInTwoBandsIsComplex) {
  // y 2..5: x 2..8; y 5..8: x 2..5.
  const Region r = Intersection(LShape(), Region(Rect{2, 2, 8, 8}));
  EXPECT_EQ(r.Kind(), RegionKind::kComplex);
  EXPECT_EQ(r.Rects(), (Rects{{2, 2, 8, 5}, {2, 5, 5, 8}}));
}

TEST(RegionTest, AnIntersectionOfTwoSpansInOneBandIsComplex) {
  const Region two = Of({{0, 0, 4, 4}, {6, 0, 10, 4}});
  const Region r = Intersection(two, Region(Rect{2, 2, 8, 8}));
  EXPECT_EQ(r.Kind(), RegionKind::kComplex);
  EXPECT_EQ(r.Rects(), (Rects{{2, 2, 4, 4}, {6, 2, 8, 4}}));
}

TEST(RegionTest, AnIntersectionInTheNotchIsEmpty) {
  const Region r = Intersection(LShape(), Region(Rect{6, 6, 9, 9}));
  EXPECT_EQ(r.Kind(), RegionKind::kEmpty);
  EXPECT_EQ(r.Extents(), Rect{});
}

// What a one-pixel step to the right leaves behind: the column it left.
TEST(RegionTest, SubtractingTheMovedShapeLeavesWhatItUncovered) {
  Region left = LShape();
  Region moved = LShape();
  moved.Offset(1, 0);
  left.Subtract(moved);
  EXPECT_EQ(left.Rects(), (Rects{{0, 0, 1, 10}}));
  left.Subtract(Region(Rect{0, 0, 5, 10}));
  EXPECT_TRUE(left.IsEmpty());
}

TEST(RegionTest, OverlapsRectNeedsASharedPixel) {
  const Region l = LShape();
  EXPECT_TRUE(l.OverlapsRect({0, 0, 1, 1}));
  EXPECT_TRUE(l.OverlapsRect({9, 4, 12, 6}));     // the bar's last pixel
  EXPECT_TRUE(l.OverlapsRect({-5, -5, 20, 20}));  // around it all
  EXPECT_FALSE(l.OverlapsRect({6, 6, 9, 9}));     // in the notch
  EXPECT_FALSE(l.OverlapsRect({10, 0, 12, 5}));   // touches the right edge only
  EXPECT_FALSE(l.OverlapsRect({5, 5, 10, 10}));   // touches the notch's corner
  EXPECT_FALSE(l.OverlapsRect({2, 2, 2, 4}));     // an empty rectangle
}

TEST(RegionTest, ContainsPointUsesExclusiveEdges) {
  const Region l = LShape();
  EXPECT_TRUE(l.ContainsPoint(9, 4));
  EXPECT_TRUE(l.ContainsPoint(4, 9));
  EXPECT_FALSE(l.ContainsPoint(10, 4));
  EXPECT_FALSE(l.ContainsPoint(5, 5));
  EXPECT_FALSE(l.ContainsPoint(-1, 0));
}

TEST(RegionTest, OffsetMovesEveryRectangle) {
  Region l = LShape();
  l.Offset(100, -3);
  EXPECT_EQ(l.Rects(), (Rects{{100, -3, 110, 2}, {100, 2, 105, 7}}));
  l.Offset(-100, 3);
  EXPECT_EQ(l, LShape());
}

TEST(RegionTest, FromRectsCoalescesIntoTheCanonicalForm) {
  // Twenty 2 x 2 squares side by side in two rows: one 20 x 4 rectangle.
  Rects squares;
  for (int row = 0; row < 2; ++row) {
    for (int i = 0; i < 10; ++i) squares.push_back({2 * i, 2 * row, 2 * i + 2, 2 * row + 2});
  }
  const Region block = Of(squares);
  EXPECT_EQ(block.Kind(), RegionKind::kSimple);
  EXPECT_EQ(block.Rects(), (Rects{{0, 0, 20, 4}}));

  // Two columns of squares: two rectangles in one band.
  const Region columns = Of({{0, 0, 2, 2}, {4, 0, 6, 2}, {0, 2, 2, 4}, {4, 2, 6, 4}});
  EXPECT_EQ(columns.Rects(), (Rects{{0, 0, 2, 4}, {4, 0, 6, 4}}));

  // Overlaps, duplicates and empty rectangles change nothing.
  const Region messy = Of({{0, 0, 10, 5}, {2, 1, 4, 3}, {0, 0, 10, 5}, {3, 3, 3, 9}, {0, 5, 5, 10}});
  EXPECT_EQ(messy, LShape());
  EXPECT_EQ(messy.Rects(), LShape().Rects());
}

TEST(RegionTest, UnitingFollowsTheSameForm) {
  Region r;
  r.Unite(Rect{0, 5, 5, 10});
  r.Unite(Rect{0, 0, 10, 5});
  r.Unite(Rect{7, 7, 7, 9});  // empty: ignored
  EXPECT_EQ(r.Rects(), LShape().Rects());
  Region s(Rect{20, 20, 22, 22});
  s.Unite(r);
  EXPECT_EQ(s.RectCount(), 3);
  EXPECT_EQ(s.Extents(), (Rect{0, 0, 22, 22}));
}

TEST(RegionTest, CopiesAndMovesAreIndependentAndCounted) {
  const std::int64_t before = Region::LiveCount();
  {
    Region a = LShape();
    Region b = a;
    b.Offset(1, 1);
    EXPECT_NE(a, b);
    Region c = std::move(b);
    EXPECT_EQ(c.Extents(), (Rect{1, 1, 11, 11}));
    a = c;
    EXPECT_EQ(a, c);
    c = Region();
    EXPECT_TRUE(c.IsEmpty());
    EXPECT_FALSE(a.IsEmpty());
    EXPECT_EQ(Region::LiveCount(), before + 3);
  }
  EXPECT_EQ(Region::LiveCount(), before);
}

}  // namespace
