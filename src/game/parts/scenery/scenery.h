// The scenery strip along the bottom: shown at the set-up, closed behind the
// ship when the boss comes, and its vents' sprays.
#pragma once

#include <array>
#include <cstdint>

#include "game/base/state.h"

namespace zb {

// The columns (pixels) of the strip's three vents, in the order of the
// bursts' numbers.
inline constexpr std::array<std::int32_t, 3> kVentColumns{546, 562, 580};

// The scenery, written by this part.
struct SceneryState {
  RegionHandle outline;  // copy of the scenery window's outline
};

extern SceneryState Scenery;

// The open strip on the bottom of the work area, its outline kept for the
// ship's collisions.
void ShowScenery();
// The strip's second picture, the way back closed.
void CloseSceneryBehind();
// The vents throw sprays while the ship passes columns 441..619.
bool SceneryBurstDue();
// A spray from the vent of the current burst number.
void StartSceneryBurst();

}  // namespace zb
