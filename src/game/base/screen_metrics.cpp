// The screen in twips and the ship's pixel column.
#include "game/base/screen_metrics.h"

#include "game/base/state.h"
#include "platform/numeric.h"
#include "platform/screen.h"

namespace zb {

std::int32_t ScreenHeightTwips() {
  return plat::RoundToInt32(static_cast<double>(plat::GetScreen().workArea.bottom) * TPPY);
}

float ScreenWidthTwips() { return static_cast<float>(plat::GetScreen().width) * TPPX; }

float ScreenFullHeightTwips() { return static_cast<float>(plat::GetScreen().height) * TPPY; }

std::int32_t ShipColumn() { return plat::IntDiv(Ship.x, TPPX); }

}  // namespace zb
