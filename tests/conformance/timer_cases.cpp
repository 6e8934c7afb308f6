// Conformance: timers tick only at yields (and inside modal windows), never
// during a sleep, never re-entered; setting the interval restarts them.
#include <algorithm>
#include <vector>

#include "conformance/cases.h"
#include "platform/dialogs.h"

namespace conformance {
namespace {

class Timers : public Conformance {
 protected:
  void SetUp() override {
    Conformance::SetUp();
    w_ = ShowWindow({10, 10, 40, 40});
  }
  // A timer of the test window counting its ticks in `ticks`.
  plat::TimerId Counter(int& ticks, int intervalMs) {
    const plat::TimerId t = plat::CreateTimer(w_, [&ticks] { ++ticks; });
    plat::SetTimerInterval(t, intervalMs);
    return t;
  }
  plat::WindowId w_ = plat::kNoWindow;
};

TEST_F(Timers, TickOnlyAtYieldsNotDuringSleep) {
  int ticks = 0;
  Counter(ticks, 30);
  plat::Sleep(200);
  EXPECT_EQ(ticks, 0);
  plat::DoEvents();
  EXPECT_EQ(ticks, 1);  // the missed ticks come as one
  plat::DoEvents();
  EXPECT_EQ(ticks, 1);
}

TEST_F(Timers, WaitForEventsWakesForADueTimerButDeliversNothing) {
  int ticks = 0;
  Counter(ticks, 50);
  const std::uint32_t t0 = plat::TimeGetTime();
  plat::WaitForEvents(2000);
  EXPECT_GE(Since(t0), 40u);
  EXPECT_LT(Since(t0), 1000u);
  EXPECT_EQ(ticks, 0);
  plat::DoEvents();
  EXPECT_EQ(ticks, 1);
}

TEST_F(Timers, WaitForEventsReturnsAfterItsBound) {
  const std::uint32_t t0 = plat::TimeGetTime();
  plat::WaitForEvents(100);
  EXPECT_GE(Since(t0), 90u);
  EXPECT_LT(Since(t0), 1000u);
}

TEST_F(Timers, ANewTimerIsEnabledWithoutInterval) {
  int ticks = 0;
  const plat::TimerId t = plat::CreateTimer(w_, [&ticks] { ++ticks; });
  EXPECT_TRUE(plat::TimerEnabled(t));
  EXPECT_EQ(plat::TimerInterval(t), 0);
  plat::Sleep(100);
  plat::DoEvents();
  EXPECT_EQ(ticks, 0);
}

TEST_F(Timers, ADisabledTimerDoesNotTick) {
  int ticks = 0;
  const plat::TimerId t = Counter(ticks, 30);
  plat::SetTimerEnabled(t, false);
  EXPECT_FALSE(plat::TimerEnabled(t));
  EXPECT_EQ(plat::TimerInterval(t), 30);
  plat::Sleep(100);
  plat::DoEvents();
  EXPECT_EQ(ticks, 0);
}

TEST_F(Timers, SettingTheIntervalRestartsIt) {
  int ticks = 0;
  const plat::TimerId t = Counter(ticks, 300);
  plat::Sleep(200);
  plat::SetTimerInterval(t, 300);  // the same interval: still a restart
  plat::Sleep(200);                // 400 ms since created, 200 since restart
  plat::DoEvents();
  EXPECT_EQ(ticks, 0);
  plat::Sleep(150);
  plat::DoEvents();
  EXPECT_EQ(ticks, 1);
}

TEST_F(Timers, EnablingADisabledTimerRestartsIt) {
  int ticks = 0;
  const plat::TimerId t = Counter(ticks, 300);
  plat::Sleep(200);
  plat::SetTimerEnabled(t, false);
  plat::SetTimerEnabled(t, true);
  plat::Sleep(200);
  plat::DoEvents();
  EXPECT_EQ(ticks, 0);
  plat::Sleep(150);
  plat::DoEvents();
  EXPECT_EQ(ticks, 1);
}

TEST_F(Timers, EnablingAnEnabledTimerDoesNotRestartIt) {
  int ticks = 0;
  const plat::TimerId t = Counter(ticks, 300);
  plat::Sleep(200);
  plat::SetTimerEnabled(t, true);
  plat::Sleep(150);
  plat::DoEvents();
  EXPECT_EQ(ticks, 1);
}

TEST_F(Timers, AHandlerIsNotReenteredButOthersRunInItsYield) {
  int depth = 0, maxDepth = 0, entries = 0, others = 0, othersInside = 0;
  const plat::TimerId a = plat::CreateTimer(w_, [&] {
    ++entries;
    maxDepth = std::max(maxDepth, ++depth);
    if (entries == 1) {
      plat::Sleep(100);  // a is due again, and b is due
      plat::DoEvents();
      othersInside = others;
    }
    --depth;
  });
  plat::SetTimerInterval(a, 20);
  plat::Sleep(10);
  int& otherTicks = others;
  const plat::TimerId b = plat::CreateTimer(w_, [&otherTicks] { ++otherTicks; });
  plat::SetTimerInterval(b, 20);  // due 10 ms after a
  plat::Sleep(40);
  plat::DoEvents();
  EXPECT_EQ(maxDepth, 1);
  EXPECT_GE(entries, 1);
  EXPECT_GE(othersInside, 1);
  plat::Sleep(50);
  plat::DoEvents();
  EXPECT_EQ(maxDepth, 1);
  EXPECT_GE(entries, 2);
}

TEST_F(Timers, AHandlerThatDestroysItsWindowEndsItsTimer) {
  int ticks = 0;
  const plat::TimerId t = plat::CreateTimer(w_, [&] {
    ++ticks;
    plat::DestroyWindow(w_);
  });
  plat::SetTimerInterval(t, 20);
  plat::Sleep(30);
  plat::DoEvents();
  plat::Sleep(30);
  plat::DoEvents();
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(plat::WindowExists(w_));
}

TEST_F(Timers, TickWhileAMenuIsOpen) {
  int ticks = 0;
  Counter(ticks, 50);
  D().AnswerNextMenu(-1, 400);
  const std::vector<plat::MenuItem> items = {{"バージョン情報"}, {"", true}, {"終了"}};
  EXPECT_EQ(plat::PopupMenu(items), -1);
  EXPECT_GE(ticks, 2);
}

TEST_F(Timers, TickWhileAMessageBoxIsOpen) {
  int ticks = 0;
  Counter(ticks, 50);
  D().AnswerNextMessageBox(400);
  plat::ShowMessageBox("It failed in plastic surgery of a window.");
  EXPECT_GE(ticks, 2);
  EXPECT_EQ(D().AnsweredMessageBoxes(),
            std::vector<std::string>{"It failed in plastic surgery of a window."});
}

TEST_F(Timers, AMenuReturnsTheChosenItem) {
  const std::vector<plat::MenuItem> items = {{"バージョン情報"}, {"", true}, {"終了"}};
  D().AnswerNextMenu(2, 50);
  EXPECT_EQ(plat::PopupMenu(items), 2);
  D().AnswerNextMenu(0, 50);
  EXPECT_EQ(plat::PopupMenu(items), 0);
}

}  // namespace
}  // namespace conformance
