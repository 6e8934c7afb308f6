// The game cycle: title, launch, stage, and the way back to the title.
#include "game/flow/game_cycle.h"

#include "game/base/game_windows.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/skip_on_error.h"
#include "game/base/state.h"
#include "game/base/waits.h"
#include "game/flow/frame_loop.h"
#include "game/flow/stage_setup.h"
#include "game/flow/win.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/bursts/bursts.h"
#include "game/parts/click_hint/click_hint.h"
#include "game/parts/lamps/lamps.h"
#include "game/parts/ship/steering.h"
#include "platform/events.h"
#include "platform/keys.h"
#include "platform/numeric.h"
#include "platform/screen.h"

namespace zb {
namespace {

void ResetStage() {
  Game.paused = false;
  SetUpStage();
  Bursts.running = false;
  Bursts.number = 0;
  SteerShip();  // puts the ship at its start position
}

// The title lettering, centred, one and a half of its heights above the
// bottom of the work area. A Space tapped before it shows is dropped here,
// just before it shows: one tapped while it is being painted starts the game.
void ShowTitleWindow() {
  SizeWindowToShape(Shape::kTitle, bannerWindow);
  SetShapePicture(Shape::kTitle, bannerWindow);
  const float left = static_cast<float>(plat::IntDiv(ScreenWidthTwips() - bannerWindow.Width(), 2));
  bannerWindow.Move(left, ScreenHeightTwips() - 1.5f * bannerWindow.Height());
  CutWindowToShape(Shape::kTitle, bannerWindow);
  plat::GetAsyncKeyState(plat::VK_SPACE);
  bannerWindow.SetVisible(true);
}

}  // namespace

void WaitForSpace() {
  YieldUntil([] { return plat::GetAsyncKeyState(plat::VK_SPACE) != 0; });
  plat::GetAsyncKeyState(plat::VK_SPACE);
}

void ShowTitle(bool takeFocus) {
  ShowLamps();
  ResetStage();
  ShowTitleWindow();
  PlaceClickHint();
  if (takeFocus) lampsWindow.SetFocus();
  WaitForSpace();
  bannerWindow.SetVisible(false);
}

void RunLaunch() {
  ShipSays("いくぞ！");
  YieldAndWait(1000);
  CloseBalloon();
}

// The screen changed under the title or a game: the game is given up (the
// next title's set-up clears the stage), and the title comes back laid out
// for the new screen.
void AbandonGame() {
  CloseBalloon();
  SkipOnError([] { bannerWindow.Unload(); });
  Ship.blastCycles = 0;
}

void RunGameCycle() {
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
        Ship.blastCycles = 0;
      } else {
        RunWinSequence();
      }
    } catch (const plat::ScreenChanged&) {
      AbandonGame();
    }
  }
}

}  // namespace zb
