// The scenery strip: its two pictures and its vents.
#include "game/parts/scenery/scenery.h"

#include "game/base/game_windows.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/parts/bursts/bursts.h"

namespace zb {

SceneryState Scenery;

void ShowScenery() {
  SizeWindowToShape(6, sceneryWindow);
  SetShapePicture(6, sceneryWindow);
  Scenery.outline = CutWindowToShape(6, sceneryWindow);
  sceneryWindow.Move(0, ScreenHeightTwips() - sceneryWindow.Height());
  sceneryWindow.SetVisible(true);
}

void CloseSceneryBehind() {
  SetShapePicture(7, sceneryWindow);
  Scenery.outline.reset();
  Scenery.outline = CutWindowToShape(7, sceneryWindow);
}

bool SceneryBurstDue() {
  return PlayerColumn() > 440 && Boss.active == kFalse &&
         static_cast<float>(620 * TPPX) > Ship.x;
}

void StartSceneryBurst() {
  const double x = Bursts.ventColumns[Bursts.number] * static_cast<double>(TPPX);
  StartBurst(x, sceneryWindow.Top() + 83 * TPPY, 0);
}

}  // namespace zb
