// A stage laid out for the combat and boss tests on the simulated backend.
#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "platform/region.h"
#include "platform/sim/sim.h"

namespace zb::testing {

inline constexpr int kTwips = 15;
inline constexpr plat::Color kGreen = plat::RGB(0, 255, 0);
inline constexpr plat::Color kBlack = 0;

// A fresh screen (1280 x 1024), clock and game, a stage set up, both lamps
// lit and the ship at pixel (100, 974), in spawn zone A.
class CombatTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Slot i alive at pixel (px, py); its window is not moved.
  void PlaceEnemy(int i, int px, int py);
  // Lets `ms` of virtual time pass, then yields once.
  void Wait(int ms);
};

// Every form unloaded, the game's records zeroed.
sim::WindowRecord Record(plat::WindowId w);

struct Offset {
  int dx = 0;
  int dy = 0;
};
// An offset in pixels of shape `moved` against shape `fixed` at which their
// outlines overlap in a region of that kind.
std::optional<Offset> FindOverlap(int fixed, int moved, plat::RegionKind kind);

}  // namespace zb::testing
