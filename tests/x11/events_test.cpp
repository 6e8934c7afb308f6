// WaitForEvents on the real server: woken by a key press or a click that
// comes while it waits, delivering nothing itself.
#include <QTimer>

#include "platform/events.h"
#include "platform/keys.h"
#include "x11/fixture.h"

namespace x11test {
namespace {

constexpr std::uint32_t kSpace = 0x0020;

// Runs `user` from Qt's event loop after `ms`, that is from inside the wait.
void Later(int ms, std::function<void()> user) { QTimer::singleShot(ms, std::move(user)); }

TEST_F(X11Test, AKeyPressWakesWaitForEvents) {
  plat::GetAsyncKeyState(plat::VK_SPACE);
  Later(100, [] {
    X().Key(kSpace, true);
    X().Key(kSpace, false);
  });
  const std::uint32_t t0 = plat::TimeGetTime();
  plat::WaitForEvents(3000);
  const std::uint32_t waited = plat::TimeGetTime() - t0;
  EXPECT_GE(waited, 90u);
  EXPECT_LT(waited, 2000u);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), 0x0001);
}

TEST_F(X11Test, AClickWakesWaitForEventsAndWaitsForTheYield) {
  const plat::WindowId w = ShowWindow({100, 100, 150, 150});
  int clicks = 0;
  plat::SetMouseDownHandler(w, [&clicks](int, int, int) { ++clicks; });
  Later(100, [] { X().Click(110, 110, 3, xtest::Ms(0)); });
  const std::uint32_t t0 = plat::TimeGetTime();
  plat::WaitForEvents(3000);
  EXPECT_LT(plat::TimeGetTime() - t0, 2000u);
  EXPECT_EQ(clicks, 0);  // delivered by the yield, not the wait
  plat::DoEvents();
  EXPECT_EQ(clicks, 1);
}

TEST_F(X11Test, NothingElseWakesWaitForEventsBeforeItsBound) {
  const plat::WindowId w = ShowWindow({100, 100, 150, 150});
  plat::SetWindowRect(w, 110 * 15, 100 * 15, 50 * 15, 50 * 15);  // events of its own
  plat::DoEvents();
  X().MovePointer(500, 500);  // pointer motion is no input for the game
  const std::uint32_t t0 = plat::TimeGetTime();
  plat::WaitForEvents(300);
  EXPECT_GE(plat::TimeGetTime() - t0, 290u);
}

}  // namespace
}  // namespace x11test
