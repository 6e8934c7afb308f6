// Conformance: window geometry in twips, outlines, visibility and stacking.
#include "conformance/cases.h"
#include "platform/region.h"

#include <vector>

namespace conformance {
namespace {

using plat::Rect;
using plat::Region;
using plat::TwipsRect;

struct Rounding {
  double twips;
  int px;
};

// Nearest whole pixel, halves up: floor(twips / 15 + 0.5).
constexpr Rounding kRoundings[] = {
    {0, 0},   {7, 0},    {7.5, 1},    {10, 1},    {22.4, 1},  {22.5, 2},  {220, 15},
    {217.5, 15}, {232.5, 16}, {-7.5, 0}, {-8, -1}, {-22.5, -1}, {-23, -2}, {1507.5, 101},
};

TEST_F(Conformance, PositionsRoundToWholePixelsHalvesUp) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmTest");
  for (const Rounding& r : kRoundings) {
    plat::SetWindowRect(w, r.twips, r.twips, 300, 300);
    const TwipsRect got = plat::GetWindowRect(w);
    EXPECT_EQ(got.left, r.px * 15) << "left " << r.twips;
    EXPECT_EQ(got.top, r.px * 15) << "top " << r.twips;
  }
}

TEST_F(Conformance, SizesRoundToWholePixelsHalvesUp) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmTest");
  for (const Rounding& r : kRoundings) {
    if (r.px <= 0) continue;
    plat::SetWindowRect(w, 0, 0, r.twips, r.twips + 15);
    const TwipsRect got = plat::GetWindowRect(w);
    EXPECT_EQ(got.width, r.px * 15) << "width " << r.twips;
    EXPECT_EQ(got.height, (r.px + 1) * 15) << "height " << r.twips;
  }
}

TEST_F(Conformance, TheWindowSystemHasTheRoundedGeometry) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmTest");
  plat::SetWindowRect(w, 1510, 2207.5, 1507.5, 1492.5);  // 100.67, 147.17; 100.5, 99.5
  plat::SetVisible(w, true);
  plat::DoEvents();
  EXPECT_EQ(plat::GetWindowRect(w), (TwipsRect{1515, 2205, 1515, 1500}));
  EXPECT_EQ(D().ScreenRect(w), (Rect{101, 147, 202, 247}));

  plat::SetWindowRect(w, 3000, 1500, 220, 10);  // the balloon's 220 twips: 15 px
  plat::DoEvents();
  EXPECT_EQ(D().ScreenRect(w), (Rect{200, 100, 215, 101}));
}

TEST_F(Conformance, ControlsArePlacedRelativeToTheirWindow) {
  const plat::WindowId w = ShowWindow({100, 120, 300, 220});
  const plat::WindowId label = plat::CreateLabel(w, "Label1");
  plat::SetWindowRect(label, 195, -15, 180, 225);
  plat::SetVisible(label, true);
  plat::DoEvents();
  EXPECT_EQ(plat::GetWindowRect(label), (TwipsRect{195, -15, 180, 225}));
  EXPECT_EQ(D().ScreenRect(label), (Rect{113, 119, 125, 134}));
}

TEST_F(Conformance, AnOutlineIsClippedToTheWindow) {
  const plat::WindowId w = ShowWindow({50, 60, 90, 90});  // 40 x 30
  EXPECT_EQ(D().Outline(w), Region(Rect{0, 0, 40, 30}));

  const Rect parts[] = {{0, 0, 10, 10}, {20, 5, 60, 25}, {-5, 28, 5, 40}};
  ASSERT_TRUE(plat::SetWindowShape(w, Region::FromRects(parts)));
  plat::DoEvents();
  const Rect clipped[] = {{0, 0, 10, 10}, {20, 5, 40, 25}, {0, 28, 5, 30}};
  EXPECT_EQ(D().Outline(w), Region::FromRects(clipped));
  EXPECT_EQ(D().ScreenRect(w), (Rect{50, 60, 90, 90}));
}

TEST_F(Conformance, AnOutlineCanBeReplaced) {
  const plat::WindowId w = ShowWindow({50, 60, 90, 90});
  ASSERT_TRUE(plat::SetWindowShape(w, Region(Rect{0, 0, 5, 5})));
  ASSERT_TRUE(plat::SetWindowShape(w, Region(Rect{10, 10, 20, 12})));
  plat::DoEvents();
  EXPECT_EQ(D().Outline(w), Region(Rect{10, 10, 20, 12}));
}

TEST_F(Conformance, ANewWindowIsHiddenUntilShown) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmTest");
  PlaceWindow(w, {10, 10, 30, 30});
  plat::DoEvents();
  EXPECT_TRUE(plat::WindowExists(w));
  EXPECT_FALSE(plat::IsVisible(w));
  EXPECT_FALSE(D().IsMapped(w));
  EXPECT_EQ(plat::GetBackColor(w), plat::RGB(255, 255, 255));
  EXPECT_EQ(plat::GetPicture(w), nullptr);

  plat::SetVisible(w, true);
  plat::DoEvents();
  EXPECT_TRUE(plat::IsVisible(w));
  EXPECT_TRUE(D().IsMapped(w));

  plat::SetVisible(w, false);
  plat::DoEvents();
  EXPECT_FALSE(plat::IsVisible(w));
  EXPECT_FALSE(D().IsMapped(w));
}

TEST_F(Conformance, AControlShowsOnlyWithItsWindow) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmTest");
  PlaceWindow(w, {10, 10, 60, 60});
  const plat::WindowId box = plat::CreatePictureBox(w, "CT");
  PlaceWindow(box, {5, 5, 15, 15});
  plat::SetVisible(box, true);
  plat::DoEvents();
  EXPECT_TRUE(plat::IsVisible(box));  // its own flag
  EXPECT_FALSE(D().IsMapped(box));

  plat::SetVisible(w, true);
  plat::DoEvents();
  EXPECT_TRUE(D().IsMapped(box));
}

TEST_F(Conformance, DestroyingAWindowDestroysItsControlsAndTimers) {
  const plat::WindowId w = ShowWindow({10, 10, 60, 60});
  const plat::WindowId label = plat::CreateLabel(w, "Label1");
  int ticks = 0;
  const plat::TimerId t = plat::CreateTimer(w, [&] { ++ticks; });
  plat::SetTimerInterval(t, 20);
  plat::DestroyWindow(w);
  EXPECT_FALSE(plat::WindowExists(w));
  EXPECT_FALSE(plat::WindowExists(label));
  EXPECT_EQ(plat::TimerInterval(t), 0);
  plat::Sleep(50);
  plat::DoEvents();
  EXPECT_EQ(ticks, 0);
  // Operations on a dead id do nothing; reads give zero values.
  plat::SetVisible(w, true);
  plat::SetWindowRect(w, 15, 15, 15, 15);
  EXPECT_EQ(plat::GetWindowRect(w), TwipsRect{});
  EXPECT_FALSE(plat::IsVisible(w));
  const plat::WindowId next = plat::CreateSpriteWindow("frmTest");
  EXPECT_NE(next, w);  // ids are never reused
}

TEST_F(Conformance, ShowingAWindowRaisesItToTheTop) {
  const plat::WindowId a = ShowWindow({10, 10, 60, 60}, "frmA");
  const plat::WindowId b = ShowWindow({30, 30, 80, 80}, "frmB");
  const plat::WindowId both[] = {a, b};
  EXPECT_EQ(D().Stacking(both), (std::vector<plat::WindowId>{a, b}));

  plat::SetVisible(a, false);
  plat::DoEvents();
  plat::SetVisible(a, true);
  plat::DoEvents();
  EXPECT_EQ(D().Stacking(both), (std::vector<plat::WindowId>{b, a}));

  // Shown within one yield, windows stack in the order they were shown, not
  // the order they were made in; one hidden and shown again goes on top.
  const plat::WindowId c = plat::CreateSpriteWindow("frmC");
  const plat::WindowId d = plat::CreateSpriteWindow("frmD");
  for (plat::WindowId w : {c, d}) plat::SetWindowRect(w, 50 * 15, 50 * 15, 40 * 15, 40 * 15);
  plat::SetVisible(d, true);
  plat::SetVisible(c, true);
  plat::SetVisible(b, false);
  plat::SetVisible(b, true);
  plat::DoEvents();
  const plat::WindowId all[] = {a, b, c, d};
  EXPECT_EQ(D().Stacking(all), (std::vector<plat::WindowId>{a, d, c, b}));
}

// A colour change is on the screen after the next yield: of a plain window,
// of a picture box in it, of a window showing a picture (where the picture
// leaves its back colour) and of a picture box over that picture, cut to an
// outline, changed alone as the boss's core is.
TEST_F(Conformance, ColourChangesReachTheScreen) {
  static const std::vector<std::uint32_t> blue(20 * 20, 0x0000ff);
  static const plat::Picture picture{20, 20, blue.data(), "blue"};
  const plat::WindowId plain = ShowWindow({10, 10, 50, 50}, "frmPlain");
  const plat::WindowId pictured = plat::CreateSpriteWindow("frmPictured");
  PlaceWindow(pictured, {60, 10, 100, 50});
  plat::SetPicture(pictured, &picture);
  plat::SetVisible(pictured, true);
  const plat::WindowId box = plat::CreatePictureBox(plain, "Box");
  const plat::WindowId core = plat::CreatePictureBox(pictured, "CT");
  PlaceWindow(box, {5, 5, 15, 15});
  PlaceWindow(core, {5, 5, 15, 15});
  ASSERT_TRUE(plat::SetWindowShape(core, Region(Rect{0, 0, 10, 5})));
  plat::SetVisible(box, true);
  plat::SetVisible(core, true);
  plat::DoEvents();

  struct Spot {
    plat::WindowId w;
    int x, y;
    const char* what;
  };
  const Spot spots[] = {{plain, 30, 30, "window"},
                        {box, 2, 2, "picture box"},
                        {pictured, 30, 30, "window with a picture"},
                        {core, 2, 2, "cut picture box over a picture"}};
  EXPECT_EQ(D().ShownColor(pictured, 1, 1), plat::RGB(0, 0, 255));
  for (const plat::Color c : {plat::RGB(0, 255, 0), plat::RGB(255, 255, 255),
                              plat::RGB(252, 236, 128), plat::RGB(255, 0, 0)}) {
    for (const Spot& s : spots) {
      plat::SetBackColor(s.w, c);
      plat::DoEvents();
      EXPECT_EQ(D().ShownColor(s.w, s.x, s.y), c) << s.what << " to " << std::hex << c;
    }
  }
}

// Lines are whole pixels, at any scale: a line along a window's top or
// bottom row covers that row and nothing of the next.
TEST_F(Conformance, LinesCoverWholePixels) {
  const plat::WindowId w = ShowWindow({10, 10, 50, 40});
  plat::SetBackColor(w, plat::RGB(255, 255, 255));
  const plat::WindowId top = plat::CreateLine(w, "Line1");
  const plat::WindowId bottom = plat::CreateLine(w, "Line2");
  plat::SetLine(top, 0, 0, 39 * 15, 0, plat::RGB(0, 0, 0));
  plat::SetLine(bottom, 0, 29 * 15, 39 * 15, 29 * 15, plat::RGB(0, 0, 0));
  plat::SetVisible(top, true);
  plat::SetVisible(bottom, true);
  plat::DoEvents();
  for (const int x : {0, 20, 39}) {
    EXPECT_EQ(D().ShownColor(w, x, 0), plat::RGB(0, 0, 0)) << x;
    EXPECT_EQ(D().ShownColor(w, x, 1), plat::RGB(255, 255, 255)) << x;
    EXPECT_EQ(D().ShownColor(w, x, 28), plat::RGB(255, 255, 255)) << x;
    EXPECT_EQ(D().ShownColor(w, x, 29), plat::RGB(0, 0, 0)) << x;
  }
}

}  // namespace
}  // namespace conformance
