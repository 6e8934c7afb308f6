// Conformance: errors inside handlers, the clock, text measuring.
#include <stdexcept>

#include "conformance/cases.h"
#include "platform/errors.h"

namespace conformance {
namespace {

// Runs a timer handler that throws what `thrower` throws, and returns the
// status of the ProgramExit the next yield throws (-1: none).
int StatusAfterThrowingHandler(const std::function<void()>& thrower) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmTest");
  const plat::TimerId t = plat::CreateTimer(w, thrower);
  plat::SetTimerInterval(t, 20);
  plat::Sleep(40);
  try {
    plat::DoEvents();
  } catch (const plat::ProgramExit& e) {
    return e.status;
  }
  return -1;
}

TEST_F(Conformance, AnErrorInAHandlerShowsTheFatalBoxAndEndsTheProgram) {
  D().AnswerNextMessageBox(0);
  ::testing::internal::CaptureStderr();
  const int status =
      StatusAfterThrowingHandler([] { throw plat::RuntimeError("Subscript out of range"); });
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 1);
  EXPECT_EQ(D().AnsweredMessageBoxes(), std::vector<std::string>{"Subscript out of range"});
  EXPECT_NE(err.find("zembrant: Subscript out of range\n"), std::string::npos) << err;
}

TEST_F(Conformance, AnythingElseThrownIsAnUnknownError) {
  D().AnswerNextMessageBox(0);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(StatusAfterThrowingHandler([] { throw 42; }), 1);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(D().AnsweredMessageBoxes(), std::vector<std::string>{"Unknown error"});
}

TEST_F(Conformance, AProgramExitFromAHandlerLeavesTheYieldAsThrown) {
  EXPECT_EQ(StatusAfterThrowingHandler([] { throw plat::ProgramExit{0}; }), 0);
  EXPECT_TRUE(D().AnsweredMessageBoxes().empty());
}

TEST_F(Conformance, AfterAnExitNoHandlerRunsAndEveryYieldThrows) {
  const plat::WindowId w = ShowWindow({10, 10, 40, 40});
  int later = 0;
  const plat::TimerId t = plat::CreateTimer(w, [&later] { ++later; });
  plat::SetTimerInterval(t, 100);
  EXPECT_EQ(StatusAfterThrowingHandler([] { throw plat::ProgramExit{3}; }), 3);
  plat::Sleep(150);
  try {
    plat::DoEvents();
    ADD_FAILURE() << "no ProgramExit";
  } catch (const plat::ProgramExit& e) {
    EXPECT_EQ(e.status, 3);
  }
  EXPECT_EQ(later, 0);
}

class WrappingClock : public Conformance {
 protected:
  StartOptions Options() override { return {0xFFFFFFFFu - 100}; }
};

TEST_F(WrappingClock, ElapsedTimeIsTheDifferenceModulo2To32) {
  const std::uint32_t t0 = plat::TimeGetTime();
  plat::Sleep(300);
  const std::uint32_t t1 = plat::TimeGetTime();
  EXPECT_GE(static_cast<std::uint32_t>(t1 - t0), 300u);
  EXPECT_LT(static_cast<std::uint32_t>(t1 - t0), 1000u);
  if (D().ChoosesClock()) {
    EXPECT_LT(t1, t0);  // it wrapped
  }
}

TEST_F(WrappingClock, TimersTickAcrossTheWrap) {
  const plat::WindowId w = ShowWindow({10, 10, 40, 40});
  int ticks = 0;
  const plat::TimerId t = plat::CreateTimer(w, [&ticks] { ++ticks; });
  plat::SetTimerInterval(t, 150);
  plat::Sleep(200);
  plat::DoEvents();
  EXPECT_EQ(ticks, 1);
}

const plat::TextFont kGothic{"ＭＳ Ｐゴシック", 8.25, false};

TEST_F(Conformance, TextWidthGrowsWithTheText) {
  EXPECT_EQ(plat::TextWidthPx(kGothic, ""), 0);
  const int one = plat::TextWidthPx(kGothic, "W");
  EXPECT_GT(one, 0);
  EXPECT_GT(plat::TextWidthPx(kGothic, "WWWW"), 3 * one);
  EXPECT_GT(plat::TextWidthPx(kGothic, "いくぞ！"), plat::TextWidthPx(kGothic, "iiii"));
  const plat::TextFont bigger{kGothic.family, 16.5, false};
  EXPECT_GT(plat::TextWidthPx(bigger, "WWWW"), plat::TextWidthPx(kGothic, "WWWW"));
}

TEST_F(Conformance, PrintedTextIsAsWideAsMeasured) {
  const plat::WindowId w = plat::CreateSpriteWindow("frmC");
  PlaceWindow(w, {100, 100, 400, 140});
  plat::SetVisible(w, true);
  for (const char* text : {"ENTER", "いくぞ！"}) {
    plat::ClearText(w);
    plat::PrintText(w, 10, 5, text, kGothic, plat::RGB(0, 0, 0));
    const int width = plat::TextWidthPx(kGothic, text);
    plat::Rect ink;
    ASSERT_TRUE(YieldUntil([&] {
      ink = D().Ink(w);
      return ink.Width() > 0;
    })) << text;
    EXPECT_GE(ink.left, 10) << text;
    EXPECT_LE(ink.right, 10 + width + 1) << text;
    EXPECT_GE(ink.right, 10 + width * 3 / 4) << text;
    EXPECT_GE(ink.top, 5) << text;
  }
}

}  // namespace
}  // namespace conformance
