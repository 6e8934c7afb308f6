// The screen in twips, the ship's pixel column and the plain wait.
#include "game/flow/frame_loop.h"
#include "game/base/state.h"
#include "platform/events.h"
#include "platform/numeric.h"
#include "platform/screen.h"

namespace zb {

std::int32_t ScreenHeightTwips() {
  return plat::RoundToInt32(static_cast<double>(plat::GetScreen().workArea.bottom) * TPPY);
}

float ScreenWidthTwips() { return static_cast<float>(plat::GetScreen().width) * TPPX; }

float ScreenFullHeightTwips() { return static_cast<float>(plat::GetScreen().height) * TPPY; }

std::int32_t PlayerColumn() { return plat::IntDiv(Player.PlayerX, TPPX); }

void WaitMs(std::int32_t ms) { plat::Sleep(ms); }

}  // namespace zb
