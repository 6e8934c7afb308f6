// Shaping windows: sizes, outlines, the spare region, and the fatal paths.
#include <gtest/gtest.h>

#include "game/base/game_windows.h"
#include "game/base/shaping.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/ship/ship_window.h"
#include "platform/errors.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

// Runs `f`, expecting the program to end with the fatal box showing `text`,
// and the line on stderr giving the text and then its plain cause.
template <typename F>
void ExpectFatal(F&& f, const std::string& text, const std::string& cause) {
  const auto boxes = sim::MessageBoxes().size();
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(f(), plat::ProgramExit);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "zembrant: " + text + " (" + cause + ")\n");
  ASSERT_EQ(sim::MessageBoxes().size(), boxes + 1);
  EXPECT_EQ(sim::MessageBoxes().back().text, text);
}

using Shaping = test::FlowTest;

TEST_F(Shaping, SizeOutlineAndAnIndependentSpare) {
  SizeWindowToShape(10, shipWindow);
  SizeWindowToShape(15, shipWindow);  // not a shape: no change
  EXPECT_EQ(test::PxRect(shipWindow), (plat::Rect{0, 0, 19, 10}));
  plat::Region spare = CutWindowToShape(10, shipWindow);
  const plat::Region outline = *test::Rec(shipWindow).outline;
  EXPECT_EQ(outline.RectCount(), 10);
  EXPECT_EQ(spare, outline);
  spare.Offset(5, 5);  // the caller's own copy
  EXPECT_EQ(*test::Rec(shipWindow).outline, outline);
}

TEST_F(Shaping, ShapeNumbersOutsideTheTableAreASubscriptError) {
  for (int bad : {-1, 16}) {
    EXPECT_THROW(CutWindowToShape(bad, shipWindow), plat::RuntimeError);
    EXPECT_THROW(CreateShapeRegion(bad), plat::RuntimeError);
  }
  EXPECT_EQ(test::Rec(shipWindow).shapeCount, 0);
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(Shaping, AnEmptyRecordCannotBeRead) {
  ExpectFatal([] { CutWindowToShape(15, shipWindow); }, "It failed in reading of region data.",
              "the program's outline of shape 15 is damaged");
  EXPECT_EQ(test::Rec(shipWindow).shapeCount, 0);
}

TEST_F(Shaping, AWindowSystemThatCannotCutIsFatal) {
  sim::SetShapeSupported(false);
  ExpectFatal([] { CutWindowToShape(10, shipWindow); }, "It failed in plastic surgery of a window.",
              "a window could not be cut to its outline: " + plat::ShapeFailureCause());
}

TEST_F(Shaping, BalloonCapsHaveTheirOwnMessages) {
  EXPECT_THROW(CutWindowToBalloonShape(5, balloonLeft), plat::RuntimeError);
  sim::SetShapeSupported(false);
  ExpectFatal([] { CutWindowToBalloonShape(4, balloonLeft); }, "リージョンデータの読み込みに失敗しました。",
              "the program's outline of balloon cap record 4 is damaged");
  ExpectFatal([] { CutWindowToBalloonShape(0, balloonLeft); }, "ウィンドウの整形に失敗しました。",
              "a window could not be cut to its outline: " + plat::ShapeFailureCause());
}

TEST(RegionRecordWords, MalformedRecordsMakeNoRegion) {
  using Words = std::array<std::uint32_t, 16>;  // room for two rectangles
  const Words good{32, 1, 2, 32, 0, 0, 9, 9, 0, 0, 2, 2, 5, 5, 9, 9};
  ASSERT_TRUE(RegionFromRecordWords(good));
  auto broken = [&](int word, std::uint32_t value) {
    Words w = good;
    w[word] = value;
    return !RegionFromRecordWords(w);
  };
  EXPECT_TRUE(broken(0, 0));             // header size
  EXPECT_TRUE(broken(2, 3));             // more rectangles than it holds
  EXPECT_TRUE(broken(3, 16));            // byte count disagrees
  EXPECT_TRUE(broken(10, 0xFFFFFFFFu));  // right before left
}

}  // namespace
}  // namespace zb
