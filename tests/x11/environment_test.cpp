// The backend on servers that lack what it prefers (injected: Xvfb always
// has SHAPE and XInput 2), and on a desktop that reserves a panel.
#include <cstdlib>

#include "platform/events.h"
#include "platform/keys.h"
#include "platform/region.h"
#include "platform/screen.h"
#include "x11/fixture.h"

namespace x11test {
namespace {

bool Injected(const char* name) { return std::getenv(name) != nullptr; }

TEST_F(X11Test, WithoutShapeCuttingASpriteWindowFailsAndNothingBreaks) {
  if (!Injected("ZEMBRANT_TEST_NO_SHAPE")) GTEST_SKIP() << "runs with ZEMBRANT_TEST_NO_SHAPE=1";
  const plat::WindowId w = ShowWindow({10, 10, 50, 50});
  EXPECT_FALSE(plat::SetWindowShape(w, plat::Region(plat::Rect{0, 0, 5, 5})));
  // Controls are cut by Qt itself and need no extension.
  const plat::WindowId core = plat::CreatePictureBox(w, "CT");
  EXPECT_TRUE(plat::SetWindowShape(core, plat::Region(plat::Rect{0, 0, 5, 5})));
  // No request reached the server: the window is whole and the connection alive.
  plat::DoEvents();
  EXPECT_EQ(X().Shape(Xid(w)), plat::Region(plat::Rect{0, 0, 40, 40}));
  PlaceWindow(w, {20, 20, 60, 60});
  plat::DoEvents();
  EXPECT_EQ(X().ScreenRect(Xid(w)), (plat::Rect{20, 20, 60, 60}));
}

TEST_F(X11Test, WithoutXInputHeldKeysStillRead) {
  if (!Injected("ZEMBRANT_TEST_NO_XINPUT")) GTEST_SKIP() << "runs with ZEMBRANT_TEST_NO_XINPUT=1";
  constexpr std::uint32_t kRight = 0xff53;
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_RIGHT), 0);
  X().Key(kRight, true);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_RIGHT), static_cast<std::int16_t>(0x8001));
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_RIGHT), static_cast<std::int16_t>(0x8000));
  X().Key(kRight, false);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_RIGHT), 0);
}

// With NumLock off the keypad's arrows and Home are the arrow keys and
// Home; with it on they are digits, which the game does not read.
TEST_F(X11Test, TheKeypadsArrowsAndHomeAreTheMainKeysWithNumLockOff) {
  constexpr std::uint32_t kNumLock = 0xff7f;
  const std::pair<int, std::uint32_t> keypad[] = {
      {plat::VK_HOME, 0xff95}, {plat::VK_LEFT, 0xff96}, {plat::VK_UP, 0xff97},
      {plat::VK_RIGHT, 0xff98}, {plat::VK_DOWN, 0xff99}};
  for (const auto& [vk, keysym] : keypad) {
    plat::GetAsyncKeyState(vk);
    X().Key(keysym, true);
    EXPECT_EQ(plat::GetAsyncKeyState(vk), static_cast<std::int16_t>(0x8001)) << std::hex << keysym;
    X().Key(keysym, false);
    EXPECT_EQ(plat::GetAsyncKeyState(vk), 0) << std::hex << keysym;
  }
  X().Tap(kNumLock);
  for (const auto& [vk, keysym] : keypad) {
    X().Key(keysym, true);  // the same key, now a digit
    EXPECT_EQ(plat::GetAsyncKeyState(vk), 0) << "NumLock on: " << std::hex << keysym;
    X().Key(keysym, false);
  }
  X().Tap(kNumLock);
  X().Key(0xff96, true);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_LEFT), static_cast<std::int16_t>(0x8001)) << "NumLock off again";
  X().Key(0xff96, false);
}

// Nothing wakes the wait for a key without raw key events: it looks at the
// keyboard often instead, so that a waiting title still sees Space at once.
TEST_F(X11Test, WithoutXInputALongWaitLooksAtTheKeysOften) {
  if (!Injected("ZEMBRANT_TEST_NO_XINPUT")) GTEST_SKIP() << "runs with ZEMBRANT_TEST_NO_XINPUT=1";
  plat::DoEvents();
  const std::uint32_t t0 = plat::TimeGetTime();
  plat::WaitForEvents(5000);
  EXPECT_LT(plat::TimeGetTime() - t0, 1000u);  // 10 ms asked; room for a loaded machine
}

TEST_F(X11Test, TheWorkAreaLeavesOutThePanel) {
  const plat::ScreenInfo before = plat::GetScreen();
  ASSERT_GE(before.width, 800);
  EXPECT_EQ(before.workArea, (plat::Rect{0, 0, before.width, before.height}));
  const auto w = static_cast<std::uint32_t>(before.width);
  const auto h = static_cast<std::uint32_t>(before.height);
  X().SetCardinals(X().Root(), "_NET_WORKAREA", {0, 0, w, h - 40});
  plat::ScreenInfo now;
  for (int i = 0; i < 100; ++i) {
    plat::DoEvents();
    now = plat::GetScreen();
    if (now.workArea != before.workArea) break;
    plat::WaitForEvents(20);
  }
  X().DeleteProperty(X().Root(), "_NET_WORKAREA");
  EXPECT_EQ(now.width, before.width);
  EXPECT_EQ(now.height, before.height);
  EXPECT_EQ(now.workArea, (plat::Rect{0, 0, before.width, before.height - 40}));
}

}  // namespace
}  // namespace x11test
