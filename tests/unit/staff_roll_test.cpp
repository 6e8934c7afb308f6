// The staff roll: the frame's place, the outline at the telling steps, the
// fade, and the window gone at the end.
#include <gtest/gtest.h>

#include <vector>

#include "game/forms.h"
#include "platform/keys.h"
#include "shapes/shaping.h"
#include "support/flow_fixture.h"
#include "windows/side_windows.h"

namespace zb {
namespace {

using test::Rec;

struct Step {
  std::optional<plat::Region> outline;
  plat::Color color = 0;
  plat::Rect rect;
};

class StaffRoll : public test::FlowTest {
 protected:
  // Runs the roll, noting the window at each of its yields.
  void Run() {
    sim::SetYieldHook([this] {
      if (!frmSTAFF.IsLoaded()) return;
      const auto r = Rec(frmSTAFF);
      steps.push_back({r.outline, r.backColor, r.rect});
    });
    RunStaffRoll();
    sim::SetYieldHook({});
  }
  // Credits moved up by i, the closing line at `lineOffset`, in the frame.
  static plat::Region Expected(int i, int lineOffset) {
    plat::Region credits = CreateShapeRegion(2);
    credits.Offset(0, -i);
    plat::Region line = CreateShapeRegion(3);
    line.Offset(0, lineOffset);
    credits.Unite(line);
    credits.Intersect(plat::Region(plat::Rect{0, 0, 163, 95}));
    return credits;
  }
  std::vector<Step> steps;
};

TEST_F(StaffRoll, ScrollsTheCreditsAndStopsTheClosingLine) {
  Run();
  ASSERT_EQ(steps.size(), 611u + 96u);
  // Step 0: only the credits' first rows, 93 and 94, are inside the frame.
  EXPECT_EQ(*steps[0].outline, Expected(0, 600));
  EXPECT_EQ(steps[0].outline->Extents().top, 93);
  EXPECT_EQ(*steps[554].outline, Expected(554, 46));
  EXPECT_EQ(*steps[555].outline, Expected(555, 45));  // no jump where it stops
  EXPECT_EQ(*steps[610].outline, Expected(610, 45));
  // At the end only the closing line is left, in the frame's lower half.
  plat::Region line = CreateShapeRegion(3);
  line.Offset(0, 45);
  EXPECT_EQ(*steps[610].outline, line);
  EXPECT_EQ(steps[0].color, plat::RGB(255, 255, 255));
}

TEST_F(StaffRoll, StandsCentredOnTheBottomAndFadesToGrey) {
  const auto start = sim::Elapsed();
  Run();
  EXPECT_EQ(steps[0].rect, (plat::Rect{(1280 - 163) / 2, 1024 - 95, (1280 - 163) / 2 + 163, 1024}));
  EXPECT_EQ(steps[611].color, plat::RGB(255, 255, 255));
  EXPECT_EQ(steps[612].color, plat::RGB(253, 253, 253));
  EXPECT_EQ(steps.back().color, plat::RGB(65, 65, 65));
  EXPECT_FALSE(frmSTAFF.IsLoaded());
  EXPECT_EQ(sim::Elapsed() - start, (611u + 96u) * 50 + 1000);
}

TEST_F(StaffRoll, IgnoresKeys) {
  sim::PressKey(plat::VK_ESCAPE);
  sim::PressKey(plat::VK_SPACE);
  const auto polls = sim::Stats().keyPolls;
  Run();
  EXPECT_EQ(sim::Stats().keyPolls, polls);
  EXPECT_EQ(steps.size(), 611u + 96u);
}

}  // namespace
}  // namespace zb
