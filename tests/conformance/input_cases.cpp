// Conformance: polled keys, mouse clicks on shaped windows, the focus.
#include <vector>

#include "conformance/cases.h"
#include "platform/keys.h"
#include "platform/region.h"

namespace conformance {
namespace {

constexpr std::int16_t kHeld = static_cast<std::int16_t>(0x8000);
constexpr std::int16_t kHeldAndPressed = static_cast<std::int16_t>(0x8001);

TEST_F(Conformance, ATapBetweenTwoPollsReadsPressedOnce) {
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), 0);
  D().PressKey(plat::VK_SPACE);
  D().ReleaseKey(plat::VK_SPACE);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), 0x0001);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), 0);
}

TEST_F(Conformance, AHeldKeyReadsHeld) {
  D().PressKey(plat::VK_LEFT);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_LEFT), kHeldAndPressed);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_LEFT), kHeld);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_RIGHT), 0);  // other keys untouched
  D().ReleaseKey(plat::VK_LEFT);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_LEFT), 0);
}

TEST_F(Conformance, AKeyReleasedAndPressedAgainBetweenPollsReadsPressed) {
  D().PressKey(plat::VK_ESCAPE);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_ESCAPE), kHeldAndPressed);
  D().ReleaseKey(plat::VK_ESCAPE);
  D().PressKey(plat::VK_ESCAPE);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_ESCAPE), kHeldAndPressed);
  D().ReleaseKey(plat::VK_ESCAPE);
}

TEST_F(Conformance, EachKeyKeepsItsOwnPressedBit) {
  D().PressKey(plat::VK_HOME);
  D().ReleaseKey(plat::VK_HOME);
  D().PressKey(plat::VK_ESCAPE);
  D().ReleaseKey(plat::VK_ESCAPE);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_ESCAPE), 0x0001);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_HOME), 0x0001);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_HOME), 0);
}

TEST_F(Conformance, KeyPollsDoNotNeedAYield) {
  D().PressKey(plat::VK_UP);
  plat::Sleep(20);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_UP), kHeldAndPressed);
  D().ReleaseKey(plat::VK_UP);
}

TEST_F(Conformance, UnknownKeyCodesReadZero) {
  EXPECT_EQ(plat::GetAsyncKeyState(0), 0);
  EXPECT_EQ(plat::GetAsyncKeyState(-1), 0);
  EXPECT_EQ(plat::GetAsyncKeyState(0x1000), 0);
}

struct Press {
  int button = 0, x = 0, y = 0;
};

// Records the presses of window `w` into `presses`.
void RecordPresses(plat::WindowId w, std::vector<Press>& presses) {
  plat::SetMouseDownHandler(w, [&presses](int button, int x, int y) {
    presses.push_back({button, x, y});
  });
}

TEST_F(Conformance, AClickReachesTheWindowsHandler) {
  const plat::WindowId w = ShowWindow({100, 100, 150, 140});
  std::vector<Press> presses;
  RecordPresses(w, presses);
  D().Click(w, plat::kRightButton, 10, 12);
  ASSERT_TRUE(YieldUntil([&] { return !presses.empty(); }));
  EXPECT_EQ(presses[0].button, plat::kRightButton);
  EXPECT_EQ(presses[0].x, 10);
  EXPECT_EQ(presses[0].y, 12);
}

TEST_F(Conformance, AClickOnAControlReachesTheControl) {
  const plat::WindowId w = ShowWindow({100, 100, 160, 140});
  const plat::WindowId lamp = plat::CreateLabel(w, "Label1");
  PlaceWindow(lamp, {20, 5, 32, 20});
  plat::SetVisible(lamp, true);
  plat::DoEvents();
  std::vector<Press> onWindow, onLamp;
  RecordPresses(w, onWindow);
  RecordPresses(lamp, onLamp);
  D().Click(lamp, plat::kLeftButton, 3, 4);
  ASSERT_TRUE(YieldUntil([&] { return !onLamp.empty(); }));
  EXPECT_EQ(onLamp[0].button, plat::kLeftButton);
  EXPECT_EQ(onLamp[0].x, 3);
  EXPECT_EQ(onLamp[0].y, 4);
  EXPECT_TRUE(onWindow.empty());
}

TEST_F(Conformance, AClickOutsideTheOutlineFallsThrough) {
  const plat::WindowId below = ShowWindow({100, 100, 200, 200}, "frmBelow");
  const plat::WindowId above = ShowWindow({120, 120, 160, 160}, "frmAbove");
  ASSERT_TRUE(plat::SetWindowShape(above, plat::Region(plat::Rect{0, 0, 20, 40})));
  plat::DoEvents();
  std::vector<Press> onBelow, onAbove;
  RecordPresses(below, onBelow);
  RecordPresses(above, onAbove);

  D().Click(above, plat::kLeftButton, 30, 10);  // right half: cut away
  ASSERT_TRUE(YieldUntil([&] { return !onBelow.empty(); }));
  EXPECT_TRUE(onAbove.empty());
  EXPECT_EQ(onBelow[0].x, 50);
  EXPECT_EQ(onBelow[0].y, 30);

  D().Click(above, plat::kLeftButton, 5, 10);  // left half: inside
  ASSERT_TRUE(YieldUntil([&] { return !onAbove.empty(); }));
  EXPECT_EQ(onAbove[0].x, 5);
  EXPECT_EQ(onBelow.size(), 1u);
}

TEST_F(Conformance, HandlersRunOnlyInAYield) {
  const plat::WindowId w = ShowWindow({100, 100, 150, 140});
  std::vector<Press> presses;
  RecordPresses(w, presses);
  D().Click(w, plat::kLeftButton, 1, 1);
  plat::Sleep(200);
  EXPECT_TRUE(presses.empty());
  ASSERT_TRUE(YieldUntil([&] { return !presses.empty(); }));
}

TEST_F(Conformance, SetFocusRunsTheGotFocusHandler) {
  const plat::WindowId w = ShowWindow({100, 100, 150, 140});
  int got = 0;
  plat::SetGotFocusHandler(w, [&got] { ++got; });
  plat::SetFocus(w);
  ASSERT_TRUE(YieldUntil([&] { return got > 0; }));
  EXPECT_EQ(D().Focus(), w);
}

TEST_F(Conformance, AHiddenWindowTakesTheFocusWhenShown) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmShe");
  PlaceWindow(w, {100, 100, 150, 140});
  int got = 0;
  plat::SetGotFocusHandler(w, [&got] { ++got; });
  plat::SetFocus(w);
  plat::DoEvents();
  EXPECT_EQ(got, 0);
  plat::SetVisible(w, true);
  ASSERT_TRUE(YieldUntil([&] { return got > 0; }));
  EXPECT_EQ(D().Focus(), w);
}

// Where keys are read whatever has the focus (X11, and the simulated
// desktop by default), the game always hears them and a click takes no focus.
TEST_F(Conformance, TheKeyboardIsHeardWhateverHasTheFocus) {
  const plat::WindowId w = ShowWindow({100, 100, 150, 140});
  int changes = 0;
  plat::SetKeyboardHeardHandler([&changes] { ++changes; });
  EXPECT_TRUE(plat::KeyboardHeard());
  std::vector<Press> presses;
  RecordPresses(w, presses);
  D().Click(w, plat::kLeftButton, 1, 1);
  ASSERT_TRUE(YieldUntil([&] { return !presses.empty(); }));
  plat::DoEvents();
  EXPECT_TRUE(plat::KeyboardHeard());
  EXPECT_NE(D().Focus(), w) << "a left click took the focus";
  EXPECT_EQ(changes, 0);
  plat::SetKeyboardHeardHandler({});
}

}  // namespace
}  // namespace conformance
