// A server without XInput 2 (its absence injected): the keys are read from
// the keymap alone. Space still starts the game, HOME still makes the ship
// invincible and Right still doubles its pace. The keymap alone sees only
// keys held while the program looks, so keys are held here until the program
// shows it has seen them (on a loaded machine it may look seldom).
#include <optional>
#include <thread>

#include "e2e/game.h"

namespace e2e {
namespace {

class NoXInput : public GameTest {};

TEST_F(NoXInput, SpaceHomeAndRightWorkThroughTheKeymap) {
  GameOptions options;
  options.env = {"ZEMBRANT_TEST_NO_XINPUT=1"};
  ASSERT_NO_FATAL_FAILURE(StartGame(options));
  ASSERT_TRUE(WaitForTitle(Ms(60000))) << "no title; " << Game().Stderr();

  X().Key(key::kSpace, true);
  const bool started = WaitUntil([&] { return X().Named("frmSTAFF").empty(); }, Ms(10000));
  X().Key(key::kSpace, false);
  ASSERT_TRUE(started) << "Space did not end the title wait";
  ASSERT_TRUE(WaitForBalloon(Ms(10000))) << "no launch balloon after Space";
  // The program sleeps out the launch; the keymap sees keys only in play.
  ASSERT_TRUE(WaitUntil([&] { return BalloonGone(); }, Ms(10000))) << "the balloon stays";
  // A key already down as the stage begins does not count: Home once the
  // frames run.
  ASSERT_TRUE(ShipMoves(X(), Ms(5000))) << "the ship does not fly";
  X().Key(key::kHome, true);
  WaitUntil([&] { return ComparePicture(Get("frmPlayer"), *Picture(11)).ok(); }, Ms(10000), Ms(20));
  X().Key(key::kHome, false);
  ExpectShowsPicture(Get("frmPlayer"), 11);

  const GameTest::Motion drift = FollowMoves(Get("frmPlayer"), Ms(2000), Ms(6000));
  X().Key(key::kRight, true);
  std::this_thread::sleep_for(Ms(200));
  const GameTest::Motion pushed = FollowMoves(Get("frmPlayer"), Ms(2000), Ms(6000));
  X().Key(key::kRight, false);
  EXPECT_GE(drift.spanMs, 2000) << drift.moves << " moves";
  EXPECT_GE(pushed.spanMs, 2000) << pushed.moves << " moves";
  // Half a pixel a frame alone, a whole one with Right held.
  EXPECT_GE(drift.PxPerSecond(), 7.0);
  EXPECT_LE(drift.PxPerSecond(), 10.5);
  EXPECT_GE(pushed.PxPerSecond(), 1.6 * drift.PxPerSecond());
  EXPECT_LE(pushed.PxPerSecond(), 21.0);

  // Up lifts the ship.
  const Window before = Get("frmPlayer");
  X().Key(key::kUp, true);
  std::this_thread::sleep_for(Ms(400));
  X().Key(key::kUp, false);
  EXPECT_LT(Get("frmPlayer").rect.top, before.rect.top) << "Up does not lift the ship";

  ExpectRunning();
  EndThroughMenu();
}

}  // namespace
}  // namespace e2e
