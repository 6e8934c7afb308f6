// The shape table and the balloon table: the printed outlines, the record
// layout, and agreement between every outline and its picture.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "game/parts/balloon/balloon.h"
#include "game/base/pictures.h"
#include "game/base/shape_table.h"
#include "support/outline_records.h"

namespace zb {
namespace {

using test::PixelMask;
using test::RecordRects;
using Rects = std::vector<plat::Rect>;

struct ShapeInfo {
  int width, height;
  std::uint32_t key;  // 0x00RRGGBB
};

constexpr std::uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kBlue = 0x0000FF, kMagenta = 0xFF00FF,
                        kRed = 0xFF0000;
const ShapeInfo kShapes[15] = {
    {25, 11, kWhite},  {163, 95, kWhite},    {177, 613, kBlack}, {177, 58, kBlack}, {300, 48, kBlue},
    {37, 66, kWhite},  {1024, 99, kMagenta}, {1024, 99, kMagenta}, {37, 66, kMagenta}, {61, 45, kWhite},
    {19, 10, kWhite},  {19, 10, kWhite},     {21, 10, kWhite},   {12, 12, kWhite},  {12, 12, kWhite},
};

// The outline rule, written out afresh: runs per row, identical consecutive
// rows in one band, a run touching the right edge one pixel longer.
Rects OutlineOfPicture(const plat::Picture& pic, std::uint32_t key) {
  using Runs = std::vector<std::pair<int, int>>;
  std::vector<Runs> rows(static_cast<std::size_t>(pic.height));
  for (int y = 0; y < pic.height; ++y)
    for (int x = 0; x < pic.width; ++x) {
      if (pic.pixels[static_cast<std::size_t>(y) * pic.width + x] == key) continue;
      Runs& runs = rows[static_cast<std::size_t>(y)];
      if (!runs.empty() && runs.back().second == x) ++runs.back().second;
      else runs.push_back({x, x + 1});
    }
  Rects out;
  for (int y0 = 0, y1 = 0; y0 < pic.height; y0 = y1) {
    for (y1 = y0 + 1; y1 < pic.height && rows[y1] == rows[y0];) ++y1;
    for (auto [x0, x1] : rows[y0]) out.push_back({x0, y0, x1 == pic.width ? x1 + 1 : x1, y1});
  }
  return out;
}

plat::Rect Bound(const RegionRecord& r) { return {r.rcBound(0), r.rcBound(1), r.rcBound(2), r.rcBound(3)}; }

plat::Rect Extent(const Rects& rects) {
  plat::Rect e = rects.front();
  for (const plat::Rect& r : rects)
    e = {std::min(e.left, r.left), std::min(e.top, r.top), std::max(e.right, r.right), std::max(e.bottom, r.bottom)};
  return e;
}

// The runs of one pixel row of a record, as (left, right) pairs.
std::set<std::pair<int, int>> RowOf(const Rects& rects, int y) {
  std::set<std::pair<int, int>> row;
  for (const plat::Rect& r : rects)
    if (r.top <= y && y < r.bottom) row.insert({r.left, r.right});
  return row;
}

class ShapeTable : public ::testing::Test {
 protected:
  void SetUp() override { BuildShapeTable(); }
  static Rects RectsOf(int shape) { return RecordRects(RegionTable[shape].words); }
};

TEST_F(ShapeTable, PrintedOutlinesAndBoundsAreExact) {
  const Rects ship{{4, 1, 6, 2}, {4, 2, 7, 3},  {5, 3, 8, 4},  {10, 3, 12, 4}, {4, 4, 14, 5},
                   {2, 5, 15, 6}, {4, 6, 9, 7}, {10, 6, 15, 7}, {4, 7, 7, 8},  {2, 8, 10, 9}};
  const std::vector<std::tuple<int, Rects, plat::Rect>> printed{
      {0, {{1, 1, 11, 10}, {13, 1, 23, 10}}, {1, 1, 23, 10}},
      {1, {{1, 1, 162, 94}}, {1, 1, 162, 94}},
      {5, {{9, 38, 12, 39}, {8, 39, 12, 43}, {9, 43, 12, 44}}, {8, 38, 12, 44}},
      {10, ship, {2, 0, 15, 9}},
      {11, ship, {2, 0, 15, 9}},
      {12,
       {{8, 1, 14, 2}, {9, 2, 12, 3}, {3, 3, 11, 4}, {2, 4, 15, 5}, {2, 5, 3, 6}, {5, 5, 7, 6}, {9, 5, 12, 6},
        {4, 6, 6, 7}, {8, 6, 14, 7}, {3, 7, 5, 8}},
       {2, 0, 15, 8}},
      {13,
       {{5, 1, 7, 2}, {4, 2, 9, 3}, {2, 3, 3, 4}, {4, 3, 10, 4}, {2, 4, 10, 5}, {1, 5, 11, 6}, {1, 6, 7, 7},
        {9, 6, 10, 7}, {2, 7, 10, 8}, {2, 8, 9, 9}, {4, 9, 10, 10}, {5, 10, 7, 11}},
       {1, 0, 11, 11}},
      {14,
       {{5, 1, 7, 2}, {3, 2, 8, 3}, {2, 3, 8, 4}, {9, 3, 10, 4}, {2, 4, 10, 5}, {1, 5, 11, 6}, {2, 6, 3, 7},
        {5, 6, 11, 7}, {2, 7, 10, 8}, {3, 8, 10, 9}, {2, 9, 8, 10}, {5, 10, 7, 11}},
       {1, 0, 11, 11}},
  };
  for (const auto& [shape, rects, bound] : printed) {
    SCOPED_TRACE("shape " + std::to_string(shape));
    EXPECT_EQ(RectsOf(shape), rects);
    EXPECT_EQ(Bound(RegionTable[shape]), bound);
  }
}

TEST_F(ShapeTable, EveryRecordHasTheRegionDataLayout) {
  for (int shape = 0; shape < 15; ++shape) {
    SCOPED_TRACE("shape " + std::to_string(shape));
    const RegionRecord& r = RegionTable[shape];
    EXPECT_EQ(r.dwSize(), 32u);
    EXPECT_EQ(r.iType(), 1u);
    ASSERT_GE(r.nCount(), 1u);
    ASSERT_LE(r.nCount(), static_cast<std::uint32_t>(kRegionRecordCapacity));
    EXPECT_EQ(r.nRgnSize(), 16 * r.nCount());
    const Rects rects = RectsOf(shape);
    const plat::Rect bound = Bound(r);
    for (std::size_t i = 0; i < rects.size(); ++i) {
      const plat::Rect& a = rects[i];
      EXPECT_LT(a.left, a.right);
      EXPECT_LT(a.top, a.bottom);
      EXPECT_TRUE(bound.left <= a.left && bound.top <= a.top && a.right <= bound.right && a.bottom <= bound.bottom)
          << "rectangle " << i << " outside the bound";
      if (i == 0) continue;
      const plat::Rect& p = rects[i - 1];
      const bool sameBand = p.top == a.top && p.bottom == a.bottom;
      EXPECT_TRUE(sameBand ? p.right < a.left : p.bottom <= a.top) << "rectangle " << i << " out of band order";
    }
    for (std::size_t w = 8 + 4 * rects.size(); w < r.words.size(); ++w)
      ASSERT_EQ(r.words[w], 0u) << "word " << w << " beyond the rectangles";
  }
}

TEST_F(ShapeTable, BuildingAgainChangesNothingAndLeavesRecord15Empty) {
  const auto first = RegionTable;
  BuildShapeTable();
  for (int shape = 0; shape < 16; ++shape) EXPECT_TRUE(first[shape].words == RegionTable[shape].words) << shape;
  for (std::uint32_t w : RegionTable[15].words) ASSERT_EQ(w, 0u);
}

TEST_F(ShapeTable, ShipsAreIdenticalAndBlastFramesDifferInFiveRows) {
  EXPECT_TRUE(RegionTable[10].words == RegionTable[11].words);
  const Rects a = RectsOf(13), b = RectsOf(14);
  std::vector<int> differing;
  for (int y = 0; y < 12; ++y)
    if (RowOf(a, y) != RowOf(b, y)) differing.push_back(y);
  EXPECT_EQ(differing, (std::vector<int>{2, 3, 6, 8, 9}));
}

TEST_F(ShapeTable, DrawnShapesStayWhereTheGameShowsThem) {
  for (int shape : {6, 7}) {
    bool reachesEdge = false;
    for (const plat::Rect& r : RectsOf(shape)) {
      EXPECT_GE(r.left, 52) << "shape " << shape << ": the first 52 columns stay empty";
      EXPECT_NE(r.right, 1024) << "shape " << shape << ": a run at the right edge ends at 1025";
      EXPECT_LE(r.right, 1025);
      reachesEdge |= r.right == 1025;
    }
    EXPECT_TRUE(reachesEdge) << "shape " << shape;
  }
  // Only the scenery runs to its window's right edge.
  for (int shape = 0; shape < 15; ++shape) {
    const int limit = shape == 6 || shape == 7 ? kShapes[shape].width + 1 : kShapes[shape].width;
    EXPECT_LE(Extent(RectsOf(shape)).right, limit) << "shape " << shape;
  }
  // The staff roll scrolls rows 93..581 of the credits through a 163-pixel
  // frame, the lettering filling them all, and stops the closing line with
  // its rows 7..30 in view.
  EXPECT_EQ(Extent(RectsOf(2)).top, 93);
  EXPECT_EQ(Extent(RectsOf(2)).bottom, 582);
  EXPECT_GE(Extent(RectsOf(3)).top, 7);
  EXPECT_LE(Extent(RectsOf(3)).bottom, 31);
  for (int shape : {2, 3}) {
    EXPECT_GE(Extent(RectsOf(shape)).left, 0);
    EXPECT_LE(Extent(RectsOf(shape)).right, 163);
  }
}

TEST_F(ShapeTable, EveryOutlineIsItsPictureUnderTheKeyColour) {
  for (int shape = 0; shape < 15; ++shape) {
    SCOPED_TRACE("shape " + std::to_string(shape));
    const plat::Picture* pic = ShapePicture(shape);
    ASSERT_NE(pic, nullptr);
    ASSERT_EQ(pic->width, kShapes[shape].width);
    ASSERT_EQ(pic->height, kShapes[shape].height);
    const Rects derived = OutlineOfPicture(*pic, kShapes[shape].key);
    EXPECT_EQ(RectsOf(shape), derived);
    const bool boundPrinted = shape <= 1 || shape == 5 || shape >= 10;
    if (!boundPrinted) {
      EXPECT_EQ(Bound(RegionTable[shape]), Extent(derived));
    }
  }
  EXPECT_EQ(ShapePicture(-1), nullptr);
  EXPECT_EQ(ShapePicture(15), nullptr);
  const plat::Picture* icon = ProgramIcon();
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->width, 32);
  EXPECT_EQ(icon->height, 32);
}

TEST(BalloonTableTest, CapRecordsMatchTheirPicturesInsideTheCap) {
  BuildBalloonShapes();
  const int capWidth[4] = {8, 7, 7, 8};
  const std::uint32_t farRight[4] = {121, 106, 106, 121};
  const std::uint32_t counts[4] = {13, 20, 12, 18};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    const auto& w = BalloonTable[i].words;
    EXPECT_EQ(w[0], 32u);
    EXPECT_EQ(w[1], 1u);
    EXPECT_EQ(w[2], counts[i]);
    EXPECT_EQ(w[3], 16 * counts[i]);
    EXPECT_EQ((std::vector<std::uint32_t>{w[4], w[5], w[6], w[7]}), (std::vector<std::uint32_t>{0, 0, farRight[i], 270}));
    const Rects rects = RecordRects(w);
    EXPECT_EQ(rects.back(), (plat::Rect{0, 18, static_cast<int>(farRight[i]), 270}));
    for (const plat::Rect& r : rects)
      EXPECT_TRUE(r.right <= capWidth[i] || r.right == static_cast<int>(farRight[i]));

    const plat::Picture* pic = BalloonCapPicture(i);
    ASSERT_NE(pic, nullptr);
    ASSERT_EQ(pic->width, capWidth[i]);
    ASSERT_EQ(pic->height, 18);
    const PixelMask mask(pic->width, pic->height, rects);
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < pic->width; ++x) {
        const std::uint32_t p = pic->pixels[static_cast<std::size_t>(y) * pic->width + x];
        EXPECT_EQ(p != kRed, mask.At(x, y)) << "pixel " << x << "," << y;
        EXPECT_TRUE(p == kRed || p == kWhite || p == kBlack) << "pixel " << x << "," << y;
      }
  }
  for (std::uint32_t word : BalloonTable[4].words) ASSERT_EQ(word, 0u);
  EXPECT_EQ(BalloonCapPicture(4), nullptr);
}

}  // namespace
}  // namespace zb
