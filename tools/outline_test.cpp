// The outline rule and the XPM reader on tiny hand-made pictures.
#include <gtest/gtest.h>

#include <stdexcept>

#include "image.h"
#include "outline.h"

namespace zb::tools {
namespace {

constexpr std::uint32_t kKey = 0xFF00FF;

// '.' is the key colour, anything else a shape pixel.
Image Picture(std::initializer_list<const char*> rows) {
  Image img;
  for (const char* row : rows) {
    img.width = static_cast<int>(std::string(row).size());
    for (const char* c = row; *c; ++c) img.pixels.push_back(*c == '.' ? kKey : 0x808080);
    ++img.height;
  }
  return img;
}

TEST(OutlineRule, RunsOfARowAreEmittedLeftToRightAndTheRightEdgeRunOneLonger) {
  Image img = Picture({"##..#.###"});
  std::vector<OutlineRect> want{{0, 0, 2, 1}, {4, 0, 5, 1}, {6, 0, 10, 1}};
  EXPECT_EQ(DeriveOutline(img, kKey), want);
}

TEST(OutlineRule, OnlyConsecutiveIdenticalRowsShareABand) {
  Image img = Picture({
      ".....",
      ".##..",
      ".##..",
      "...##",
      ".##..",
      ".....",
      ".....",
      "#####",
  });
  std::vector<OutlineRect> want{{1, 1, 3, 3}, {3, 3, 6, 4}, {1, 4, 3, 5}, {0, 7, 6, 8}};
  EXPECT_EQ(DeriveOutline(img, kKey), want);
  EXPECT_EQ(BoundOf(want), (OutlineRect{0, 1, 6, 8}));
}

TEST(OutlineRule, AnAllKeyPictureHasNoRectangles) {
  EXPECT_TRUE(DeriveOutline(Picture({"...", "..."}), kKey).empty());
  EXPECT_EQ(BoundOf({}), OutlineRect{});
}

TEST(Xpm, ReadsColoursAndRowsAndSkipsComments) {
  Image img = ParseXpm(R"(/* XPM */
static char *x[] = {
/* width height colours chars */
"3 2 2 2",
"aa c #FF00FF",
"b. c #102030",
/* pixels */
"aab.aa",
"b.b.aa"};)",
                       "test");
  ASSERT_EQ(img.width, 3);
  ASSERT_EQ(img.height, 2);
  std::vector<std::uint32_t> want{0xFF00FF, 0x102030, 0xFF00FF, 0x102030, 0x102030, 0xFF00FF};
  EXPECT_EQ(img.pixels, want);
  EXPECT_FALSE(img.HasTransparentPixels());
}

TEST(Xpm, NoneIsATransparentPixelThatNoColourEquals) {
  Image img = ParseXpm(R"("3 1 3 1", ". c None", "a c #000000", "b c #FFFFFF", "a.b")", "t");
  EXPECT_EQ(img.pixels, (std::vector<std::uint32_t>{0x000000, kTransparent, 0xFFFFFF}));
  EXPECT_TRUE(img.HasTransparentPixels());
  EXPECT_THROW(ParseXpm(R"("1 1 1 1", "a c none", "a")", "t"), std::runtime_error);
}

TEST(Xpm, RejectsShortRowsUnknownKeysAndNamedColours) {
  EXPECT_THROW(ParseXpm(R"("2 1 1 1", "a c #000000", "a")", "t"), std::runtime_error);
  EXPECT_THROW(ParseXpm(R"("2 1 1 1", "a c #000000", "ab")", "t"), std::runtime_error);
  EXPECT_THROW(ParseXpm(R"("1 1 1 1", "a c red", "a")", "t"), std::runtime_error);
}

}  // namespace
}  // namespace zb::tools
