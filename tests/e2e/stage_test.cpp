// The stage: the launch balloon at the ship, the ship's pace with and without
// the Right key, the pause, invincibility's picture and the scenery strip.
#include <optional>
#include <thread>

#include "e2e/game.h"

namespace e2e {
namespace {

class Stage : public GameTest {};

// The balloon's centre: white, with dark text between its top and bottom
// lines.
void ExpectTextPainted(const std::vector<Pixel>& pixels, const char* when) {
  int dark = 0;
  int white = 0;
  for (const Pixel& p : pixels) {
    const int r = static_cast<int>(p.rgb >> 16);
    const int g = static_cast<int>((p.rgb >> 8) & 0xff);
    const int b = static_cast<int>(p.rgb & 0xff);
    if (r < 110 && g < 110 && b < 110) ++dark;
    if (r > 240 && g > 240 && b > 240) ++white;
  }
  EXPECT_GE(dark, 12) << when << ": no text on the balloon";
  EXPECT_GE(white, static_cast<int>(pixels.size()) / 3) << when << ": the balloon's centre is not white";
}

TEST_F(Stage, LaunchBalloonThenTheShipKeepsItsPacePausesAndFliesOverTheScenery) {
  ASSERT_NO_FATAL_FAILURE(StartGame());
  ASSERT_TRUE(WaitForTitle(Ms(60000))) << Game().Stderr();
  const std::optional<Window> ship = X().One("frmPlayer");
  ASSERT_TRUE(ship);

  // Space: the balloon at the ship. Its lifetime is bracketed by the last
  // poll that did not see it and the first that did, at both ends. What a
  // poll sees is the server's state at some moment between asking and
  // having the answer: a poll that did not see the balloon (or saw it still
  // there) counts from when it asked, one that saw it (or saw it gone) from
  // when it had the answer.
  X().Tap(key::kSpace, Ms(60));
  Clock::time_point lastUnseen = Clock::now();
  std::optional<Balloon> balloon;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const Clock::time_point asked = Clock::now();
        balloon = ReadBalloon();
        if (!balloon) lastUnseen = asked;
        return balloon.has_value();
      },
      Ms(15000), Ms(2)))
      << "no balloon after Space";
  const Clock::time_point firstSeen = Clock::now();

  EXPECT_EQ(balloon->kind(), 0);
  const int left = ship->rect.left + 15;
  const int top = ship->rect.top - 10;
  EXPECT_EQ(balloon->left.rect.left, left);
  EXPECT_EQ(balloon->left.rect.top, top);
  const plat::Rect& c = balloon->centre.rect;
  EXPECT_EQ(c.top, top + 1);
  EXPECT_EQ(c.Height(), 15);
  EXPECT_GT(c.Width(), 10);
  EXPECT_EQ(balloon->outline, ExpectedBalloon(0, left, top, c.Width()));
  EXPECT_TRUE(TailTipIn(*balloon, ship->rect)) << "the tail does not point at the ship";
  // The text is on the screen while the program sleeps out the launch (the
  // windows are mapped a moment before the program's yield paints them).
  std::this_thread::sleep_for(Ms(150));
  ExpectTextPainted(VisiblePixels(balloon->centre, plat::Region(plat::Rect{0, 1, c.Width(), 14})),
                    "launch");

  Clock::time_point lastSeen = Clock::now();
  ASSERT_TRUE(WaitUntil(
      [&] {
        const Clock::time_point asked = Clock::now();
        if (!BalloonGone()) {
          lastSeen = asked;
          return false;
        }
        return true;
      },
      Ms(10000), Ms(2)))
      << "the balloon stays";
  const Clock::time_point goneSeen = Clock::now();
  // Invincible once the frames run (a press made during the launch does not
  // count): stray enemy shots cannot end the game in the middle of a
  // measurement.
  ASSERT_TRUE(ShipMoves(X(), Ms(5000))) << "the ship does not fly";
  X().Tap(key::kHome);
  const double longest = std::chrono::duration<double, std::milli>(goneSeen - lastUnseen).count();
  const double shortest = std::chrono::duration<double, std::milli>(lastSeen - firstSeen).count();
  EXPECT_GE(longest, 950) << "the balloon went too early";
  // 1500 ms on an idle machine; more room for a loaded one.
  EXPECT_LE(shortest, 3000) << "the balloon stayed too long";

  // The scenery strip on the bottom of the work area, cut to its outline.
  const std::optional<Window> bg = X().One("frmBG");
  ASSERT_TRUE(bg);
  EXPECT_EQ(bg->rect, (plat::Rect{0, WorkBottom() - 99, 1024, WorkBottom()}));
  EXPECT_EQ(X().Shape(bg->id), TableOutline(6, 1024, 99));
  ExpectShowsPicture(*bg, 6);

  // HOME made the ship invincible: its other picture.
  ASSERT_TRUE(WaitUntil([&] {
    const std::optional<Window> s = X().One("frmPlayer");
    return s && s->rect.left > ship->rect.left;
  }, Ms(5000))) << "the ship does not fly";
  std::this_thread::sleep_for(Ms(100));
  ExpectShowsPicture(Get("frmPlayer"), 11);

  // Half a pixel a frame on its own, a whole one with Right held.
  GameTest::Motion drift = FollowMoves(Get("frmPlayer"), Ms(3000), Ms(8000));
  EXPECT_GE(drift.spanMs, 3000) << drift.moves << " moves";
  EXPECT_GE(drift.PxPerSecond(), 8.0);
  EXPECT_LE(drift.PxPerSecond(), 10.5);
  EXPECT_EQ(drift.dy, 0);

  X().Key(key::kRight, true);
  std::this_thread::sleep_for(Ms(200));
  GameTest::Motion pushed = FollowMoves(Get("frmPlayer"), Ms(3000), Ms(8000));
  X().Key(key::kRight, false);
  EXPECT_GE(pushed.spanMs, 3000) << pushed.moves << " moves";
  EXPECT_GE(pushed.PxPerSecond(), 16.0);
  EXPECT_LE(pushed.PxPerSecond(), 21.0);
  EXPECT_EQ(pushed.dy, 0);

  // ESC stops the ship, a second ESC lets it go on. HOME still works while
  // paused (and nothing can hit the ship meanwhile): the ordinary picture,
  // then the invincible one again.
  X().Tap(key::kEscape);
  std::this_thread::sleep_for(Ms(300));
  const Window paused = Get("frmPlayer");
  GameTest::Motion still = FollowMoves(paused, Ms(1500), Ms(1500));
  EXPECT_EQ(still.moves, 0) << "the ship moves while paused";
  X().Tap(key::kHome);
  std::this_thread::sleep_for(Ms(300));
  ExpectShowsPicture(Get("frmPlayer"), 10);
  X().Tap(key::kHome);
  std::this_thread::sleep_for(Ms(300));
  ExpectShowsPicture(Get("frmPlayer"), 11);
  EXPECT_EQ(Get("frmPlayer").rect, paused.rect) << "the ship moved while paused";
  X().Tap(key::kEscape);
  GameTest::Motion again = FollowMoves(paused, Ms(0), Ms(2000));
  EXPECT_GE(again.moves, 1) << "a second ESC does not end the pause";

  ExpectAllOverrideRedirect();
  ExpectRunning();
  EndThroughMenu();
}

}  // namespace
}  // namespace e2e
