// What the screen shows after one yield: pictures, back colours, outlines,
// controls, printed text, lines. Read back pixel by pixel from the server.
#include <vector>

#include "platform/events.h"
#include "platform/region.h"
#include "x11/fixture.h"

namespace x11test {
namespace {

using plat::Rect;

constexpr plat::Color kGreen = plat::RGB(0, 255, 0);
constexpr plat::Color kBlue = plat::RGB(0, 0, 255);
constexpr plat::Color kMagenta = plat::RGB(255, 0, 255);

// A 12 x 8 picture in which every pixel differs.
struct TestPicture {
  std::vector<std::uint32_t> pixels;
  plat::Picture picture;
  TestPicture() : pixels(12 * 8) {
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 12; ++x) pixels[y * 12 + x] = 0x400000u + (x * 20 << 8) + y * 30;
    }
    picture = plat::Picture{12, 8, pixels.data(), "test"};
  }
};

class Pixels : public X11Test {
 protected:
  // The pixel at (x, y) of a window, from the screen.
  std::uint32_t At(plat::WindowId w, int x, int y) {
    const Rect r = X().ScreenRect(Xid(w));
    return X().Pixels(Rect{r.left + x, r.top + y, r.left + x + 1, r.top + y + 1}).at(0);
  }
  TestPicture pic_;
};

TEST_F(Pixels, APictureIsOnScreenUnscaledAtTheTopLeftAfterOneYield) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmTest");
  PlaceWindow(w, {200, 150, 220, 162});  // 20 x 12: wider and taller than the picture
  plat::SetBackColor(w, kGreen);
  plat::SetPicture(w, &pic_.picture);
  plat::SetVisible(w, true);
  plat::DoEvents();  // once, and no waiting after it

  const std::vector<std::uint32_t> shown = PixelsOf(w);
  ASSERT_EQ(shown.size(), 20u * 12u);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      const std::uint32_t want = (x < 12 && y < 8) ? pic_.pixels[y * 12 + x] : Rgb(kGreen);
      ASSERT_EQ(shown[y * 20 + x], want) << x << "," << y;
    }
  }
}

TEST_F(Pixels, AChangeOfAShownWindowIsOnScreenAfterOneYield) {
  const plat::WindowId w = ShowWindow({200, 150, 220, 162});
  ASSERT_EQ(At(w, 15, 10), Rgb(plat::RGB(255, 255, 255)));  // a new window is white
  plat::SetBackColor(w, kBlue);
  plat::DoEvents();
  EXPECT_EQ(At(w, 15, 10), Rgb(kBlue));
  plat::SetPicture(w, &pic_.picture);
  plat::DoEvents();
  EXPECT_EQ(At(w, 3, 2), pic_.pixels[2 * 12 + 3]);
  plat::SetPicture(w, nullptr);
  plat::DoEvents();
  EXPECT_EQ(At(w, 3, 2), Rgb(kBlue));
}

TEST_F(Pixels, OnlyTheOutlineShows) {
  const plat::WindowId below = ShowWindow({100, 100, 140, 140}, "frmBelow");
  plat::SetBackColor(below, kBlue);
  const plat::WindowId w = ShowWindow({100, 100, 140, 140});
  plat::SetBackColor(w, kGreen);
  ASSERT_TRUE(plat::SetWindowShape(w, plat::Region(Rect{0, 0, 20, 40})));
  plat::DoEvents();
  EXPECT_EQ(At(w, 5, 5), Rgb(kGreen));
  EXPECT_EQ(At(w, 30, 5), Rgb(kBlue));  // the window below shows through
}

// The ship flies over the scenery: what it uncovers must not keep its
// picture until some later yield.
TEST_F(Pixels, WhatAMoveUncoversIsRepaintedInTheSameYield) {
  const plat::WindowId ground = ShowWindow({100, 100, 300, 140}, "frmBG");
  plat::SetBackColor(ground, kBlue);
  const plat::WindowId ship = ShowWindow({110, 110, 129, 120}, "frmPlayer");
  plat::SetBackColor(ship, kGreen);
  plat::DoEvents();
  int stale = 0;
  for (int step = 1; step <= 40; ++step) {
    PlaceWindow(ship, {110 + 2 * step, 110, 129 + 2 * step, 120});
    plat::DoEvents();
    // The two columns the ship has just left.
    for (std::uint32_t p : X().Pixels({108 + 2 * step, 110, 110 + 2 * step, 120})) {
      stale += p != Rgb(kBlue);
    }
  }
  EXPECT_EQ(stale, 0);
}

// The scenery has a picture: what the ship uncovers of it is the program's
// to paint, in the same yield.
TEST_F(Pixels, WhatAMoveUncoversOfAPictureIsRepaintedInTheSameYield) {
  const plat::WindowId ground = ShowWindow({100, 100, 112, 108}, "frmBG");
  plat::SetPicture(ground, &pic_.picture);
  const plat::WindowId ship = ShowWindow({100, 100, 104, 108}, "frmPlayer");
  plat::SetBackColor(ship, kGreen);
  plat::DoEvents();
  int stale = 0;
  for (int step = 1; step <= 8; ++step) {
    PlaceWindow(ship, {100 + step, 100, 104 + step, 108});
    plat::DoEvents();
    for (int y = 0; y < 8; ++y) stale += At(ground, step - 1, y) != pic_.pixels[y * 12 + step - 1];
  }
  EXPECT_EQ(stale, 0);
}

// An enemy flies in from beyond the screen's edge: its columns that come
// into sight are painted in the yield that brings them.
TEST_F(Pixels, APictureComingOnScreenIsPaintedInTheSameYield) {
  const plat::WindowId enemy = ShowWindow({-12, 300, 0, 308}, "frmEnemy");
  plat::SetPicture(enemy, &pic_.picture);
  plat::DoEvents();
  int stale = 0;
  for (int step = 1; step <= 12; ++step) {
    PlaceWindow(enemy, {step - 12, 300, step, 308});
    plat::DoEvents();
    const std::vector<std::uint32_t> seen = X().Pixels(Rect{0, 300, step, 308});
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < step; ++x) stale += seen[y * step + x] != pic_.pixels[y * 12 + 12 - step + x];
    }
  }
  EXPECT_EQ(stale, 0);
}

// A window of one colour is the server's to fill: what a hidden window
// uncovers of it shows its colour before any yield.
TEST_F(Pixels, TheServerFillsWhatItUncoversOfAOneColourWindow) {
  const plat::WindowId shots = ShowWindow({300, 300, 340, 320}, "frmEShot");
  plat::SetBackColor(shots, kMagenta);
  const plat::WindowId cover = ShowWindow({310, 305, 330, 315}, "frmCover");
  plat::SetBackColor(cover, kGreen);
  plat::DoEvents();
  ASSERT_EQ(At(shots, 15, 10), Rgb(kGreen));
  plat::SetVisible(cover, false);  // no yield after it
  EXPECT_EQ(At(shots, 15, 10), Rgb(kMagenta));
  // With a picture the program paints it again, in the next yield.
  plat::SetPicture(shots, &pic_.picture);
  plat::SetVisible(cover, true);
  plat::DoEvents();
  plat::SetVisible(cover, false);
  plat::DoEvents();
  EXPECT_EQ(At(shots, 15, 10), Rgb(kMagenta));  // outside the 12 x 8 picture
  EXPECT_EQ(At(shots, 11, 7), pic_.pixels[7 * 12 + 11]);
}

// A one-colour window kept to its outline's extents is sized by the server
// alone; it still takes the whole rectangle for a large outline, and a
// picture given later shows in all of its outline.
TEST_F(Pixels, AWindowSizedOnTheServerAloneTakesALargeOutlineAndAPicture) {
  const plat::WindowId w = ShowWindow({100, 200, 300, 240}, "frmEShot");
  plat::SetBackColor(w, kMagenta);
  for (const Rect& r : {Rect{1, 1, 3, 3}, Rect{2, 3, 10, 7}, Rect{5, 2, 7, 4}}) {
    ASSERT_TRUE(plat::SetWindowShape(w, plat::Region(r)));
    plat::DoEvents();
  }
  EXPECT_EQ(X().ScreenRect(Xid(w)), (Rect{105, 202, 107, 204}));
  plat::DoEvents();  // the server's notices of the sizes are all in
  ASSERT_TRUE(plat::SetWindowShape(w, plat::Region(Rect{0, 0, 200, 39})));
  plat::DoEvents();
  EXPECT_EQ(X().ScreenRect(Xid(w)), (Rect{100, 200, 300, 240}));
  EXPECT_EQ(X().Pixels({298, 237, 300, 239}), std::vector<std::uint32_t>(4, Rgb(kMagenta)));

  // Shown again while small, then grown on the server alone.
  ASSERT_TRUE(plat::SetWindowShape(w, plat::Region(Rect{1, 1, 3, 3})));
  plat::SetVisible(w, false);
  plat::SetVisible(w, true);
  plat::DoEvents();
  const std::vector<Rect> squares{{1, 1, 3, 3}, {9, 5, 11, 7}};
  ASSERT_TRUE(plat::SetWindowShape(w, plat::Region::FromRects(squares)));
  plat::DoEvents();
  EXPECT_EQ(X().ScreenRect(Xid(w)), (Rect{101, 201, 111, 207}));
  plat::DoEvents();
  plat::SetPicture(w, &pic_.picture);
  plat::DoEvents();
  for (const Rect& q : squares) {
    const std::vector<std::uint32_t> seen = X().Pixels({100 + q.left, 200 + q.top, 100 + q.right, 200 + q.bottom});
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 2; ++x) {
        EXPECT_EQ(seen[y * 2 + x], pic_.pixels[(q.top + y) * 12 + q.left + x]) << q.left + x << "," << q.top + y;
      }
    }
  }
}

// Particles appear where the burst window was cut away a frame before.
TEST_F(Pixels, WhatANewOutlineUncoversIsPaintedInTheSameYield) {
  const plat::WindowId dot = ShowWindow({100, 200, 300, 240}, "frmDot");
  plat::SetBackColor(dot, plat::RGB(255, 0, 0));
  int stale = 0;
  for (int step = 0; step < 40; ++step) {
    const Rect square{4 * step, 10, 4 * step + 3, 13};
    ASSERT_TRUE(plat::SetWindowShape(dot, plat::Region(square)));
    plat::DoEvents();
    for (std::uint32_t p : X().Pixels({100 + square.left, 210, 100 + square.right, 213})) {
      stale += p != 0xff0000;
    }
  }
  EXPECT_EQ(stale, 0);
}

TEST_F(Pixels, APictureBoxHasItsOwnOutlineAndColour) {
  const plat::WindowId boss = plat::CreateSpriteWindow("frmBoss");
  PlaceWindow(boss, {300, 200, 340, 240});
  plat::SetBackColor(boss, kGreen);
  const plat::WindowId core = plat::CreatePictureBox(boss, "CT");
  PlaceWindow(core, {10, 10, 30, 30});
  plat::SetBackColor(core, kMagenta);
  ASSERT_TRUE(plat::SetWindowShape(core, plat::Region(Rect{0, 0, 10, 20})));
  plat::SetVisible(core, true);
  plat::SetVisible(boss, true);
  plat::DoEvents();
  EXPECT_EQ(At(boss, 12, 12), Rgb(kMagenta));  // inside the core's outline
  EXPECT_EQ(At(boss, 25, 12), Rgb(kGreen));    // in its rectangle, outside its outline
  plat::SetVisible(core, false);
  plat::DoEvents();
  EXPECT_EQ(At(boss, 12, 12), Rgb(kGreen));
}

TEST_F(Pixels, ALabelIsTransparentUntilItsColourIsSet) {
  const plat::WindowId she = plat::CreateSpriteWindow("frmShe");
  PlaceWindow(she, {50, 300, 75, 311});
  plat::SetPicture(she, &pic_.picture);
  const plat::WindowId lamp = plat::CreateLabel(she, "Label1");
  PlaceWindow(lamp, {0, 0, 12, 11});
  plat::SetVisible(lamp, true);
  plat::SetVisible(she, true);
  plat::DoEvents();
  EXPECT_EQ(At(she, 4, 3), pic_.pixels[3 * 12 + 4]);
  plat::SetBackColor(lamp, kGreen);
  plat::DoEvents();
  EXPECT_EQ(At(she, 4, 3), Rgb(kGreen));
}

TEST_F(Pixels, TextPrintedBeforeShowingStaysUntilCleared) {
  const plat::WindowId c = plat::CreateSpriteWindow("frmC");
  PlaceWindow(c, {100, 400, 200, 415});
  plat::PrintText(c, 0, 2, "いくぞ！", plat::TextFont{"ＭＳ Ｐゴシック", 8.25, false},
                  plat::RGB(0, 0, 0));
  plat::SetVisible(c, true);
  plat::DoEvents();
  const auto inked = [&] {
    int n = 0;
    for (std::uint32_t p : PixelsOf(c)) n += p != 0xffffff;
    return n;
  };
  EXPECT_GT(inked(), 10);
  plat::ClearText(c);
  plat::DoEvents();
  EXPECT_EQ(inked(), 0);
}

TEST_F(Pixels, ALineIsOnePixelWideInItsColour) {
  const plat::WindowId c = plat::CreateSpriteWindow("frmC");
  PlaceWindow(c, {100, 450, 140, 465});
  const plat::WindowId line = plat::CreateLine(c, "Line2");
  plat::SetLine(line, 0, 7 * 15, 40 * 15, 7 * 15, kBlue);
  plat::SetVisible(line, true);
  plat::SetVisible(c, true);
  plat::DoEvents();
  for (int x = 0; x < 40; x += 13) {
    EXPECT_EQ(At(c, x, 7), Rgb(kBlue)) << x;
    EXPECT_EQ(At(c, x, 6), Rgb(plat::RGB(255, 255, 255))) << x;
    EXPECT_EQ(At(c, x, 8), Rgb(plat::RGB(255, 255, 255))) << x;
  }
}

}  // namespace
}  // namespace x11test
