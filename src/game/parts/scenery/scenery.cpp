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
  SizeWindowToShape(Shape::kCave, sceneryWindow);
  SetShapePicture(Shape::kCave, sceneryWindow);
  Scenery.outline = CutWindowToShape(Shape::kCave, sceneryWindow);
  sceneryWindow.Move(0, ScreenHeightTwips() - sceneryWindow.Height());
  sceneryWindow.SetVisible(true);
}

void CloseSceneryBehind() {
  SetShapePicture(Shape::kCaveClosed, sceneryWindow);
  Scenery.outline.reset();
  Scenery.outline = CutWindowToShape(Shape::kCaveClosed, sceneryWindow);
}

bool SceneryBurstDue() {
  return ShipColumn() > 440 && !Boss.active &&
         static_cast<float>(620 * TPPX) > Ship.x;
}

void StartSceneryBurst() {
  const double x = kVentColumns[Bursts.number] * static_cast<double>(TPPX);
  StartBurst(x, sceneryWindow.Top() + 83 * TPPY, 0);
}

}  // namespace zb
