// The game cycle: title, launch, stage, and the way back to the title.
#include "game/flow/game_cycle.h"

#include "game/base/forms.h"
#include "game/flow/frame_loop.h"
#include "game/base/skip_on_error.h"
#include "game/base/state.h"
#include "game/base/waits.h"
#include "game/flow/stage_setup.h"
#include "platform/events.h"
#include "platform/keys.h"
#include "platform/numeric.h"
#include "platform/screen.h"
#include "game/parts/balloon/balloon.h"
#include "game/base/shaping.h"

namespace zb {
namespace {

constexpr plat::Color kLampLit = plat::RGB(0, 255, 0);

// The lives lamps, both lit, in the bottom-left corner of the work area.
void ShowLamps() {
  SizeWindowToShape(0, frmShe);
  CutWindowToShape(0, frmShe);
  frmShe.Label1[0].SetBackColor(kLampLit);
  frmShe.Label1[1].SetBackColor(kLampLit);
  frmShe.Move(0, ScreenHeightTwips() - frmShe.Height());
  frmShe.SetVisible(true);
}

void ResetStage() {
  Cycle.Paused = kFalse;
  SetUpStage();
  Cycle.Bursting = kFalse;
  Cycle.BurstNo = 0;
  MovePlayerByKeys();  // puts the ship at its start position
}

// The title lettering, centred, one and a half of its heights above the
// bottom of the work area.
void ShowTitleWindow() {
  SizeWindowToShape(4, frmSTAFF);
  SetShapePicture(4, frmSTAFF);
  const float left = static_cast<float>(plat::IntDiv(ScreenWidthTwips() - frmSTAFF.Width(), 2));
  frmSTAFF.Move(left, ScreenHeightTwips() - 1.5f * frmSTAFF.Height());
  CutWindowToShape(4, frmSTAFF);
  frmSTAFF.SetVisible(true);
}

}  // namespace

void WaitForSpace() {
  plat::DoEvents();
  plat::GetAsyncKeyState(plat::VK_SPACE);
  YieldUntil([] { return plat::GetAsyncKeyState(plat::VK_SPACE) != 0; });
  plat::GetAsyncKeyState(plat::VK_SPACE);
}

void ShowTitle(bool takeFocus) {
  ShowLamps();
  ResetStage();
  ShowTitleWindow();
  if (takeFocus) frmShe.SetFocus();
  WaitForSpace();
  frmSTAFF.SetVisible(false);
}

void RunLaunch() {
  ShowBalloon("いくぞ！", frmPlayer.Left() + 15 * TPPX, frmPlayer.Top(), TailLeft, 1, "");
  plat::DoEvents();
  WaitMs(1000);
  CloseBalloon();
}

// The screen changed under the title or a game: the game is given up (the
// next title's set-up clears the stage), and the title comes back laid out
// for the new screen.
void AbandonGame() {
  CloseBalloon();
  SkipOnError([] { frmSTAFF.Unload(); });
  Player.PlayerDeadFrames = 0;
}

void RunGameCycle() {
  Cycle.BurstX = {546, 562, 580};
  struct Unwatch {
    ~Unwatch() { plat::WatchScreen(false); }  // the program ends
  } unwatch;
  bool takeFocus = true;
  for (;;) {
    plat::WatchScreen(true);
    try {
      ShowTitle(takeFocus);
      takeFocus = false;
      RunLaunch();
      if (RunFrameLoop() == StageEnd::kGameOver) {
        Player.PlayerDeadFrames = 0;
      } else {
        RunWinSequence();
      }
    } catch (const plat::ScreenChanged&) {
      AbandonGame();
    }
  }
}

}  // namespace zb
