// The simulated backend's own promises, beyond the conformance suite: input
// scripted across the virtual clock, the yield hook, limits and the records.
#include "platform/sim/sim.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/app.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/handler_guard.h"
#include "platform/keys.h"
#include "platform/screen.h"
#include "platform/window.h"

namespace {

using plat::Rect;
using plat::Region;

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override { sim::Reset(); }
  void TearDown() override { sim::Reset(); }
};

constexpr std::int16_t kHeldAndPressed = static_cast<std::int16_t>(0x8001);
constexpr std::int16_t kHeld = static_cast<std::int16_t>(0x8000);

// ------------------------------------------------------------ clock and keys

TEST_F(SimTest, TheClockStartsWhereTheTestSays) {
  sim::Config config;
  config.clockStartMs = 5000;
  config.seed = 77;
  sim::Reset(config);
  EXPECT_EQ(plat::TimeGetTime(), 5000u);
  EXPECT_EQ(sim::Now(), 5000u);
  EXPECT_EQ(plat::ClockSeed(), 77u);
  plat::Sleep(250);
  EXPECT_EQ(plat::TimeGetTime(), 5250u);
  EXPECT_EQ(sim::Elapsed(), 250u);
  plat::DoEvents();
  EXPECT_EQ(sim::Elapsed(), 250u);  // a yield takes no time
}

TEST_F(SimTest, AScheduledTapBetweenTwoPollsReadsPressedOnce) {
  sim::ScheduleKey(plat::VK_SPACE, sim::Now() + 10, sim::Now() + 30);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), 0);
  plat::Sleep(50);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), 0x0001);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), 0);
}

TEST_F(SimTest, AScheduledKeyIsHeldBetweenItsTimes) {
  sim::ScheduleKey(plat::VK_RIGHT, sim::Now() + 100, sim::Now() + 300);
  plat::Sleep(99);
  EXPECT_FALSE(sim::IsKeyHeld(plat::VK_RIGHT));
  plat::Sleep(1);
  EXPECT_TRUE(sim::IsKeyHeld(plat::VK_RIGHT));
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_RIGHT), kHeldAndPressed);
  plat::Sleep(150);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_RIGHT), kHeld);
  plat::Sleep(50);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_RIGHT), 0);
}

TEST_F(SimTest, ScheduledKeysWorkAcrossTheClockWrap) {
  sim::Config config;
  config.clockStartMs = 0xFFFFFFF0u;
  sim::Reset(config);
  sim::ScheduleKey(plat::VK_ESCAPE, sim::Now() + 10, sim::Now() + 40);  // 0xFFFFFFFA, 0x18
  plat::Sleep(20);
  EXPECT_LT(plat::TimeGetTime(), 0xFFFFFFF0u);  // wrapped
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_ESCAPE), kHeldAndPressed);
  plat::Sleep(20);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_ESCAPE), 0);
}

TEST_F(SimTest, KeyEventsWakeWaitForEvents) {
  const std::uint32_t t0 = sim::Now();
  sim::ScheduleKey(plat::VK_HOME, t0 + 120, t0 + 130);
  plat::WaitForEvents(1000);
  EXPECT_EQ(sim::Now() - t0, 120u);
  plat::WaitForEvents(1000);
  EXPECT_EQ(sim::Now() - t0, 130u);
  plat::WaitForEvents(1000);
  EXPECT_EQ(sim::Now() - t0, 1130u);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_HOME), 0x0001);
}

TEST_F(SimTest, AKeyScheduledInThePastAppliesAtOnce) {
  plat::Sleep(100);
  sim::ScheduleKey(plat::VK_DOWN, sim::Now() - 50, sim::Now() + 50);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_DOWN), kHeldAndPressed);
}

TEST_F(SimTest, SleepsWaitsAndYieldsAreCounted) {
  plat::Sleep(30);
  plat::Sleep(-5);
  plat::WaitForEvents(10);
  plat::DoEvents();
  plat::GetAsyncKeyState(plat::VK_SPACE);
  const sim::Counters c = sim::Stats();
  EXPECT_EQ(c.sleeps, 2u);
  EXPECT_EQ(c.sleptMs, 30u);
  EXPECT_EQ(c.waits, 1u);
  EXPECT_EQ(c.yields, 1u);
  EXPECT_EQ(c.keyPolls, 1u);
}

// ------------------------------------------------------------ the yield hook

TEST_F(SimTest, TheYieldHookRunsAtEveryYieldBeforeDelivery) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmPlayer");
  const plat::TimerId t = plat::CreateTimer(w, [] {
    EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), 0x0001);  // pressed by the hook
  });
  plat::SetTimerInterval(t, 10);
  int hooks = 0;
  sim::SetYieldHook([&] {
    ++hooks;
    sim::PressKey(plat::VK_SPACE);
    sim::ReleaseKey(plat::VK_SPACE);
    plat::DoEvents();  // not re-entered
  });
  plat::Sleep(10);
  plat::DoEvents();
  EXPECT_EQ(hooks, 1);
  EXPECT_EQ(sim::Timer(t)->tickCount, 1u);
  sim::SetYieldHook(nullptr);
  plat::DoEvents();
  EXPECT_EQ(hooks, 1);
}

struct StopGame {};

TEST_F(SimTest, AnExceptionOfTheHookLeavesEveryHandler) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmBoss");
  int after = 0;
  const plat::TimerId t = plat::CreateTimer(w, [&after] {
    plat::DoEvents();  // the hook throws here, inside the handler
    ++after;
  });
  plat::SetTimerInterval(t, 10);
  int yields = 0;
  sim::SetYieldHook([&yields] {
    if (++yields == 2) throw StopGame{};
  });
  plat::Sleep(10);
  EXPECT_THROW(plat::DoEvents(), StopGame);
  EXPECT_EQ(after, 0);
  EXPECT_TRUE(sim::MessageBoxes().empty());
  EXPECT_FALSE(plat::ExitPending());
  // The game goes on normally afterwards.
  sim::SetYieldHook(nullptr);
  plat::Sleep(10);
  plat::DoEvents();
  EXPECT_EQ(after, 1);
}

TEST_F(SimTest, TheTimeLimitStopsTheGame) {
  sim::SetTimeLimit(1000);
  try {
    while (true) {
      plat::DoEvents();
      plat::Sleep(50);
    }
  } catch (const sim::TimeLimitExceeded& e) {
    EXPECT_EQ(e.elapsedMs, 1000u);
  }
}

TEST_F(SimTest, TheTimeLimitLeavesAHandlerThatSleeps) {
  sim::SetTimeLimit(500);
  const plat::WindowId w = plat::CreateSpriteWindow("frmBoss");
  const plat::TimerId t = plat::CreateTimer(w, [] { plat::Sleep(2000); });
  plat::SetTimerInterval(t, 100);
  plat::Sleep(100);
  EXPECT_THROW(plat::DoEvents(), sim::TimeLimitExceeded);
  EXPECT_FALSE(plat::ExitPending());
}

TEST_F(SimTest, ABusyWaitWithoutTimeIsReportedAsStalled) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmBoss");
  const plat::TimerId t = plat::CreateTimer(w, [] {});
  plat::SetTimerInterval(t, 100);
  EXPECT_THROW(
      {
        while (true) plat::DoEvents();
      },
      sim::Stalled);
}

TEST_F(SimTest, IdleYieldsCanLetTimePass) {
  sim::Config config;
  config.idleYieldMs = 1;
  sim::Reset(config);
  const plat::WindowId w = plat::CreateSpriteWindow("frmBoss");
  bool active = false;
  const plat::TimerId t = plat::CreateTimer(w, [&active] { active = true; });
  plat::SetTimerInterval(t, 100);
  while (!active) plat::DoEvents();
  EXPECT_EQ(sim::Elapsed(), 100u);
}

// ------------------------------------------------------------ timers

TEST_F(SimTest, ATimerKeepsItsPhaseUnlessTicksWereMissed) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmPlayer");
  const plat::TimerId t = plat::CreateTimer(w, [] {});
  plat::SetTimerInterval(t, 100);
  EXPECT_EQ(sim::Timer(t)->dueAtMs, sim::Now() + 100);
  plat::Sleep(130);
  plat::DoEvents();
  EXPECT_EQ(sim::Timer(t)->dueAtMs, sim::Now() + 70);  // one interval after the tick
  plat::Sleep(500);
  plat::DoEvents();
  EXPECT_EQ(sim::Timer(t)->dueAtMs, sim::Now() + 100);  // missed: one interval after now
  EXPECT_EQ(sim::Timer(t)->tickCount, 2u);
  plat::SetTimerEnabled(t, false);
  EXPECT_EQ(sim::Timer(t)->dueAtMs, std::nullopt);
}

TEST_F(SimTest, DueTimersTickInDueOrder) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmBoss");
  std::string order;
  const plat::TimerId a = plat::CreateTimer(w, [&order] { order += 'a'; });
  const plat::TimerId b = plat::CreateTimer(w, [&order] { order += 'b'; });
  const plat::TimerId c = plat::CreateTimer(w, [&order] { order += 'c'; });
  plat::SetTimerInterval(a, 30);
  plat::SetTimerInterval(b, 10);
  plat::SetTimerInterval(c, 20);
  plat::Sleep(40);
  plat::DoEvents();
  EXPECT_EQ(order, "bca");
}

// ------------------------------------------------------------ mouse and focus

TEST_F(SimTest, AScheduledClickIsDeliveredAtTheFirstYieldAfterIt) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmPlayer");
  plat::SetWindowRect(w, 150, 300, 600, 600);
  plat::SetVisible(w, true);
  int presses = 0;
  plat::SetMouseDownHandler(w, [&presses](int, int, int) { ++presses; });
  sim::ScheduleClick(w, plat::kRightButton, 3, 4, sim::Now() + 100);
  plat::WaitForEvents(1000);
  EXPECT_EQ(sim::Elapsed(), 100u);
  EXPECT_EQ(presses, 0);
  plat::DoEvents();
  EXPECT_EQ(presses, 1);
  const auto clicks = sim::Clicks();
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].target, w);
  EXPECT_EQ(clicks[0].screenX, 13);
  EXPECT_EQ(clicks[0].screenY, 24);
  EXPECT_TRUE(clicks[0].delivered);
}

TEST_F(SimTest, AClickOnNoWindowIsRecordedOnly) {
  sim::ClickScreen(plat::kLeftButton, 500, 500);
  plat::DoEvents();
  ASSERT_EQ(sim::Clicks().size(), 1u);
  EXPECT_EQ(sim::Clicks()[0].target, plat::kNoWindow);
  EXPECT_FALSE(sim::Clicks()[0].delivered);
}

TEST_F(SimTest, ARunningMouseHandlerIsNotReentered) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmPlayer");
  plat::SetWindowRect(w, 0, 0, 300, 300);
  plat::SetVisible(w, true);
  int depth = 0, maxDepth = 0, presses = 0;
  plat::SetMouseDownHandler(w, [&](int, int, int) {
    ++presses;
    maxDepth = std::max(maxDepth, ++depth);
    sim::Click(w, plat::kLeftButton, 1, 1);
    const std::uint64_t before = sim::Elapsed();
    plat::WaitForEvents(30);  // its own click cannot wake it
    EXPECT_EQ(sim::Elapsed() - before, 30u);
    plat::DoEvents();
    --depth;
  });
  sim::Click(w, plat::kLeftButton, 1, 1);
  plat::DoEvents();
  EXPECT_EQ(presses, 1);
  plat::DoEvents();
  EXPECT_EQ(presses, 2);
  EXPECT_EQ(maxDepth, 1);
}

TEST_F(SimTest, FocusChangesRunGotFocusHandlers) {
  const plat::WindowId she = plat::CreateSpriteWindow("frmShe");
  const plat::WindowId bg = plat::CreateSpriteWindow("frmBG");
  plat::SetVisible(she, true);
  plat::SetVisible(bg, true);
  int sheGot = 0;
  plat::SetGotFocusHandler(she, [&sheGot] { ++sheGot; });
  plat::SetGotFocusHandler(bg, [she] { plat::SetFocus(she); });  // passes it on
  sim::UserFocus(bg);
  EXPECT_EQ(sim::FocusedWindow(), bg);
  plat::DoEvents();
  EXPECT_EQ(sim::FocusedWindow(), she);
  EXPECT_EQ(sheGot, 0);  // a focus change made in a yield runs at the next
  plat::DoEvents();
  EXPECT_EQ(sheGot, 1);
  plat::SetVisible(she, false);
  EXPECT_EQ(sim::FocusedWindow(), plat::kNoWindow);
  sim::UserFocus(she);  // hidden: the user cannot focus it
  EXPECT_EQ(sim::FocusedWindow(), plat::kNoWindow);
}

// ------------------------------------------------------------ modal windows

TEST_F(SimTest, ModalWindowsAreRecorded) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmPlayer");
  plat::SetWindowRect(w, 1500, 1500, 300, 300);
  plat::SetVisible(w, true);
  const std::vector<plat::MenuItem> items = {{"バージョン情報"}, {"", true}, {"終了"}};
  int answer = -1;
  plat::SetMouseDownHandler(w, [&](int, int, int) { answer = plat::PopupMenu(items); });
  sim::Click(w, plat::kRightButton, 5, 6);
  plat::DoEvents();
  EXPECT_EQ(answer, -1);  // unanswered menus close without a choice
  ASSERT_EQ(sim::Menus().size(), 1u);
  EXPECT_EQ(sim::Menus()[0].items.size(), 3u);
  EXPECT_EQ(sim::Menus()[0].items[2].caption, "終了");
  EXPECT_EQ(sim::Menus()[0].pointerX, 105);
  EXPECT_EQ(sim::Menus()[0].pointerY, 106);

  sim::AnswerMenus([](std::span<const plat::MenuItem>) { return 1; });  // a separator
  EXPECT_EQ(plat::PopupMenu(items), -1);
  EXPECT_EQ(sim::Menus()[1].result, -1);

  plat::DialogLayout version;
  version.title = "バージョン情報";
  int seen = 0;
  sim::OnDialog([&seen](const plat::DialogLayout& d) {
    seen += d.title == "バージョン情報";
    EXPECT_EQ(sim::ModalDepth(), 1);
  });
  plat::ShowModalDialog(version);
  EXPECT_EQ(seen, 1);
  ASSERT_EQ(sim::Dialogs().size(), 1u);
  EXPECT_EQ(sim::Dialogs()[0].dialog.title, "バージョン情報");

  plat::ShowMessageBox("It failed in reading of region data.");
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::MessageBoxes()[0].text, "It failed in reading of region data.");
  EXPECT_EQ(sim::ModalDepth(), 0);
}

TEST_F(SimTest, RunModalForNeedsAModalWindow) {
  EXPECT_THROW(sim::RunModalFor(10), std::logic_error);
}

TEST_F(SimTest, AnExitDuringAMenuLeavesThroughTheMenu) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmBoss");
  const plat::TimerId t = plat::CreateTimer(w, [] { throw plat::ProgramExit{0}; });
  plat::SetTimerInterval(t, 50);
  sim::AnswerMenus([](std::span<const plat::MenuItem>) {
    sim::RunModalFor(200);
    return 0;
  });
  const std::vector<plat::MenuItem> items = {{"終了"}};
  EXPECT_THROW(plat::PopupMenu(items), plat::ProgramExit);
  EXPECT_EQ(sim::Timer(t)->tickCount, 1u);  // no tick after the exit
  EXPECT_EQ(sim::Elapsed(), 50u);
}

TEST_F(SimTest, FailFatallyShowsTheBoxAndExits) {
  ::testing::internal::CaptureStderr();
  try {
    plat::FailFatally("It failed in plastic surgery of a window.");
    ADD_FAILURE();
  } catch (const plat::ProgramExit& e) {
    EXPECT_EQ(e.status, 1);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "zembrant: It failed in plastic surgery of a window.\n");
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
}

// ------------------------------------------------------------ window records

TEST_F(SimTest, WindowRecordsKeepWhatWasSet) {
  const plat::WindowId c = plat::CreateSpriteWindow("frmC");
  plat::SetWindowRect(c, 1500, 3000, 3000, 220);
  static const std::uint32_t kPixels[4] = {};
  static const plat::Picture kPicture{2, 2, kPixels, "pic"};
  plat::SetPicture(c, &kPicture);
  plat::SetBackColor(c, plat::RGB(1, 2, 3));
  const plat::TextFont gothic{"ＭＳ Ｐゴシック", 8.25, false};
  plat::PrintText(c, 0, 40, "いくぞ！", gothic, 0);
  const plat::WindowId close = plat::CreateLabel(c, "cmdClose");
  plat::SetCaption(close, "  [閉じる]", {"ＭＳ Ｐゴシック", 8.25, true}, plat::RGB(0, 0, 255));
  plat::SetMouseDownHandler(close, [](int, int, int) {});
  const plat::WindowId line = plat::CreateLine(c, "Line1");
  plat::SetLine(line, 0, 15, 150, 7.5, 0);
  ASSERT_TRUE(plat::SetWindowShape(c, Region(Rect{-10, 0, 500, 5})));

  const sim::WindowRecord r = *sim::Window(c);
  EXPECT_EQ(r.name, "frmC");
  EXPECT_EQ(r.kind, sim::WindowKind::kSprite);
  EXPECT_EQ(r.rect, (Rect{100, 200, 300, 215}));
  EXPECT_EQ(r.screenRect, r.rect);
  EXPECT_FALSE(r.visible);
  EXPECT_EQ(r.picture, &kPicture);
  EXPECT_EQ(r.backColor, plat::RGB(1, 2, 3));
  EXPECT_TRUE(r.backColorSet);
  EXPECT_EQ(r.outline, Region(Rect{0, 0, 200, 5}));
  EXPECT_EQ(r.shapeCount, 1);
  ASSERT_EQ(r.texts.size(), 1u);
  EXPECT_EQ(r.texts[0].text, "いくぞ！");
  EXPECT_EQ(r.texts[0].y, 40);
  EXPECT_EQ(r.children, (std::vector<plat::WindowId>{close, line}));

  const sim::WindowRecord l = *sim::Window(close);
  EXPECT_EQ(l.parent, c);
  EXPECT_EQ(l.caption, "  [閉じる]");
  EXPECT_TRUE(l.captionFont.bold);
  EXPECT_FALSE(l.backColorSet);  // transparent
  EXPECT_TRUE(l.hasMouseDownHandler);
  EXPECT_FALSE(l.hasGotFocusHandler);

  const sim::WindowRecord ln = *sim::Window(line);
  EXPECT_EQ(ln.kind, sim::WindowKind::kLine);
  EXPECT_EQ(ln.x1, 0);
  EXPECT_EQ(ln.y1, 1);
  EXPECT_EQ(ln.x2, 10);
  EXPECT_EQ(ln.y2, 1);  // 7.5 twips: half a pixel, rounded up

  plat::ClearText(c);
  EXPECT_TRUE(sim::Window(c)->texts.empty());
  EXPECT_EQ(sim::FindWindows("cmdClose").size(), 1u);
  EXPECT_EQ(sim::LiveWindowCount(), 3);
  plat::DestroyWindow(c);
  EXPECT_EQ(sim::Window(c), std::nullopt);
  EXPECT_EQ(sim::LiveWindowCount(), 0);
}

TEST_F(SimTest, ShownAndPaintedFollowTheYields) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmL");
  const plat::WindowId label = plat::CreateLabel(w, "Label1");
  plat::SetVisible(label, true);
  EXPECT_TRUE(sim::Window(label)->visible);
  EXPECT_FALSE(sim::Window(label)->shown);
  plat::SetVisible(w, true);
  EXPECT_TRUE(sim::Window(label)->shown);
  EXPECT_FALSE(sim::Window(w)->painted);
  plat::DoEvents();
  EXPECT_TRUE(sim::Window(w)->painted);
  plat::SetBackColor(w, 0);
  EXPECT_FALSE(sim::Window(w)->painted);
}

TEST_F(SimTest, ShowingRaisesAmongSiblings) {
  const plat::WindowId a = plat::CreateSpriteWindow("frmA");
  const plat::WindowId b = plat::CreateSpriteWindow("frmB");
  plat::SetVisible(b, true);
  plat::SetVisible(a, true);
  EXPECT_EQ(sim::StackingOrder(), (std::vector<plat::WindowId>{b, a}));
  EXPECT_EQ(sim::Window(a)->stackIndex, 1);
  const plat::WindowId x = plat::CreateLabel(a, "x");
  const plat::WindowId y = plat::CreateLabel(a, "y");
  plat::SetVisible(y, true);
  plat::SetVisible(x, true);
  EXPECT_EQ(sim::Window(x)->stackIndex, 1);
  EXPECT_EQ(sim::Window(y)->stackIndex, 0);
  plat::SetVisible(x, true);  // already shown: stays where it is
  EXPECT_EQ(sim::Window(x)->stackIndex, 1);
}

TEST_F(SimTest, WithoutShapeSupportOutlinesFail) {
  sim::Config config;
  config.shapeSupported = false;
  sim::Reset(config);
  const plat::WindowId w = plat::CreateSpriteWindow("frmPlayer");
  EXPECT_FALSE(plat::SetWindowShape(w, Region(Rect{0, 0, 1, 1})));
  EXPECT_EQ(sim::Window(w)->outline, std::nullopt);
  sim::SetShapeSupported(true);
  EXPECT_TRUE(plat::SetWindowShape(w, Region(Rect{0, 0, 1, 1})));
}

TEST_F(SimTest, TextWidthFollowsTheDocumentedModel) {
  const plat::TextFont gothic{"ＭＳ Ｐゴシック", 8.25, false};
  EXPECT_EQ(plat::TextWidthPx(gothic, "ab"), 12);
  EXPECT_EQ(plat::TextWidthPx(gothic, "いく"), 24);
  EXPECT_EQ(plat::TextWidthPx(gothic, "ｱ"), 6);  // half-width katakana
  EXPECT_EQ(plat::TextWidthPx(gothic, "\xff"), 6);  // not UTF-8
  EXPECT_EQ(plat::TextWidthPx({"x", 8.25, true}, "ab"), 14);
  EXPECT_EQ(plat::TextWidthPx({"x", 9, false}, "ab"), 14);
  EXPECT_EQ(plat::TextWidthPx({"x", 16.5, false}, "い"), 24);
}

TEST_F(SimTest, TheScreenIsTheTestsAndCanChange) {
  sim::Config config;
  config.screenWidth = 1920;
  config.screenHeight = 1080;
  config.workArea = Rect{0, 0, 1920, 1040};
  sim::Reset(config);
  plat::ScreenInfo s = plat::GetScreen();
  EXPECT_EQ(s.width, 1920);
  EXPECT_EQ(s.height, 1080);
  EXPECT_EQ(s.workArea, (Rect{0, 0, 1920, 1040}));
  sim::SetScreen(800, 600);
  s = plat::GetScreen();
  EXPECT_EQ(s.workArea, (Rect{0, 0, 800, 600}));
}

TEST_F(SimTest, ResetAndClosePlatformDestroyEverything) {
  int argc = 1;
  char name[] = "zembrant";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(plat::OpenPlatform(argc, argv), "");
  const plat::WindowId w = plat::CreateSpriteWindow("frmShe");
  plat::CreateLabel(w, "Label1");
  plat::CreateTimer(w, [] {});
  EXPECT_EQ(sim::LiveWindowCount(), 2);
  EXPECT_EQ(sim::LiveTimerCount(), 1);
  plat::ClosePlatform();
  EXPECT_EQ(sim::LiveWindowCount(), 0);
  EXPECT_EQ(sim::LiveTimerCount(), 0);

  plat::CreateTimer(plat::CreateSpriteWindow("frmShe"), [] {});
  plat::ShowMessageBox("x");
  sim::Reset();
  EXPECT_EQ(sim::LiveWindowCount(), 0);
  EXPECT_EQ(sim::LiveTimerCount(), 0);
  EXPECT_TRUE(sim::MessageBoxes().empty());
  EXPECT_EQ(sim::Stats().yields, 0u);
}

}  // namespace
