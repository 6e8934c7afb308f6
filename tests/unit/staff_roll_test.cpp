// The staff roll: the outline at the telling steps, the frame's place and
// the fade.
#include <gtest/gtest.h>

#include <vector>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/shaping.h"
#include "game/parts/staff_roll/staff_roll.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

// Credits moved up by i, the closing line down by `lineOffset`, in the frame.
plat::Region Expected(int i, int lineOffset) {
  plat::Region credits = CreateShapeRegion(2);
  credits.Offset(0, -i);
  plat::Region line = CreateShapeRegion(3);
  line.Offset(0, lineOffset);
  credits.Unite(line);
  credits.Intersect(plat::Region(plat::Rect{0, 0, 163, 95}));
  return credits;
}

using StaffRoll = test::FlowTest;

// A picture box of the frame by its name, as it is at this yield.
sim::WindowRecord Box(const char* name) {
  const std::vector<sim::WindowRecord> found = sim::FindWindows(name);
  EXPECT_EQ(found.size(), 1u) << name;
  return found.empty() ? sim::WindowRecord{} : found.front();
}

TEST_F(StaffRoll, ScrollsStopsTheClosingLineAndFades) {
  std::vector<sim::WindowRecord> steps;  // the window at each yield
  std::vector<sim::WindowRecord> credits, closing;  // its lettering's picture boxes
  sim::SetYieldHook([&] {
    steps.push_back(test::Rec(bannerWindow));
    credits.push_back(Box("Credits"));
    closing.push_back(Box("ClosingLine"));
  });
  RunStaffRoll();
  ASSERT_EQ(steps.size(), 611u + 96u);
  EXPECT_EQ(steps[0].rect, (plat::Rect{558, 1024 - 95, 558 + 163, 1024}));
  EXPECT_EQ(steps[0].outline->Extents().top, 93);  // the credits enter from the bottom
  EXPECT_EQ(*steps[0].outline, Expected(0, 600));
  EXPECT_EQ(*steps[554].outline, Expected(554, 46));
  EXPECT_EQ(*steps[555].outline, Expected(555, 45));  // no jump where it stops
  EXPECT_EQ(*steps[610].outline, Expected(610, 45));
  EXPECT_EQ(steps[610].outline->Extents().top, 52);  // only the closing line is left
  EXPECT_EQ(steps[0].backColor, plat::RGB(255, 255, 255));
  EXPECT_EQ(steps[612].backColor, plat::RGB(253, 253, 253));
  EXPECT_EQ(steps.back().backColor, plat::RGB(65, 65, 65));
  // The lettering's pictures ride with the outline, each cut to its own.
  for (int i : {0, 554, 555, 610}) {
    EXPECT_EQ(credits[i].parent, steps[i].id);
    EXPECT_EQ(credits[i].rect, (plat::Rect{0, -i, 177, 613 - i})) << i;
    EXPECT_EQ(closing[i].rect.top, i < 555 ? 600 - i : 45) << i;
    EXPECT_TRUE(credits[i].visible && closing[i].visible) << i;
  }
  EXPECT_EQ(credits[0].picture, ShapePicture(2));
  EXPECT_EQ(*credits[0].outline, CreateShapeRegion(2));
  EXPECT_EQ(closing[0].picture, ShapePicture(3));
  EXPECT_EQ(*closing[0].outline, CreateShapeRegion(3));
  // The fade is the frame's colour alone.
  EXPECT_FALSE(credits[611].visible || closing[611].visible);
  EXPECT_FALSE(bannerWindow.IsLoaded());
  EXPECT_EQ(sim::Elapsed(), 707u * 50 + 1000);
  EXPECT_EQ(sim::Stats().keyPolls, 0u);  // nothing of the roll reacts to keys
}

}  // namespace
}  // namespace zb
