// A server without the SHAPE extension (its absence injected, Xvfb cannot
// switch it off): the program says so in a message box, and once the box is
// dismissed it ends with a failure status instead of playing with
// rectangular windows or hanging.
#include <optional>
#include <thread>

#include "e2e/game.h"

namespace e2e {
namespace {

constexpr char kMessage[] = "It failed in plastic surgery of a window.";

class NoShape : public GameTest {};

// Pixels dark enough to be the box's text.
int DarkPixels(const std::vector<std::uint32_t>& pixels) {
  int dark = 0;
  for (std::uint32_t p : pixels) {
    if ((p >> 16) < 90 && ((p >> 8) & 0xff) < 90 && (p & 0xff) < 90) ++dark;
  }
  return dark;
}

TEST_F(NoShape, MessageBoxDismissedWithReturnEndsTheProgramWithFailure) {
  GameOptions options;
  options.env = {"ZEMBRANT_TEST_NO_SHAPE=1"};
  ASSERT_NO_FATAL_FAILURE(StartGame(options));
  const std::optional<Window> box = X().WaitFor("Zembrant", Ms(60000));
  ASSERT_TRUE(box) << "no message box; " << Game().Stderr();
  EXPECT_NE(Game().Stderr().find(kMessage), std::string::npos) << Game().Stderr();
  // For those who cannot tell what the box means: the missing extension.
  EXPECT_NE(Game().Stderr().find("the X server has no SHAPE extension"), std::string::npos)
      << Game().Stderr();
  // A window is painted a moment after it is mapped: its text is waited for.
  EXPECT_TRUE(WaitUntil([&] { return DarkPixels(X().Pixels(box->rect)) > 50; }, Ms(3000)))
      << "the box shows no text";

  // The box waits for the user; the title never comes.
  std::this_thread::sleep_for(Ms(1000));
  ExpectRunning();
  ASSERT_TRUE(X().One("Zembrant")) << "the box went by itself";
  EXPECT_FALSE(X().One("frmSTAFF")) << "the title shows without SHAPE";

  X().Tap(key::kReturn, Ms(60));
  const std::optional<int> status = Game().child().WaitExit(Ms(30000));
  ASSERT_TRUE(status) << "the program still runs after the box was dismissed";
  EXPECT_EQ(*status, 1) << Game().Stderr();
  EXPECT_TRUE(X().Named("Zembrant").empty());
}

// The same box answered with the mouse on its button.
TEST_F(NoShape, ClickOnOkEndsTheProgramToo) {
  GameOptions options;
  options.env = {"ZEMBRANT_TEST_NO_SHAPE=1"};
  ASSERT_NO_FATAL_FAILURE(StartGame(options));
  const std::optional<Window> box = X().WaitFor("Zembrant", Ms(60000));
  ASSERT_TRUE(box) << "no message box; " << Game().Stderr();
  // The only button sits in the bottom-right corner of the box.
  std::this_thread::sleep_for(Ms(300));
  X().Click(box->rect.right - 40, box->rect.bottom - 20, 1);
  const std::optional<int> status = Game().child().WaitExit(Ms(30000));
  ASSERT_TRUE(status) << "a click on OK did not end the program";
  EXPECT_EQ(*status, 1) << Game().Stderr();
}

}  // namespace
}  // namespace e2e
