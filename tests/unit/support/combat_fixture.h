// A stage arranged for the combat and boss tests on the simulated backend:
// a fresh screen and clock, the ship, scenery, enemy, beam and particle
// windows placed the way a stage starts, and game state zeroed.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/region.h"
#include "platform/sim/sim.h"
#include "platform/types.h"

namespace zb::testing {

inline constexpr int kTwips = 15;
inline constexpr plat::Color kGreen = plat::RGB(0, 255, 0);
inline constexpr plat::Color kBlack = plat::RGB(0, 0, 0);

class CombatTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The ship's window and record at pixel (px, py), sized and cut to shape 10.
  void PlaceShip(int px, int py);
  // Puts a living enemy into slot i at pixel (px, py), window not yet moved.
  void PlaceEnemy(int i, int px, int py);
  // The boss as a stage places it: shape 8 at pixel 1024 on the bottom.
  void PlaceBoss();
  // Lets `ms` of virtual time pass, then yields once.
  void Wait(int ms);

  // Window pixels of the ship, relative to its top-left, inside its outline.
  static bool ShipContains(int x, int y);
  // The ship's outline, band by band.
  static std::vector<plat::Rect> ShipRects();
};

// The simulated record of a live window.
sim::WindowRecord Record(plat::WindowId w);

struct Offset {
  int dx = 0;
  int dy = 0;
};

// An offset of shape `moved` against shape `fixed` (pixels) at which their
// overlap has the given kind, searched over the window sizes.
std::optional<Offset> FindOverlap(int fixed, int moved, plat::RegionKind kind);

}  // namespace zb::testing
