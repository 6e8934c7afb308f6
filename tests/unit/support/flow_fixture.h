// The game-flow tests' fixture: a fresh simulated platform and fresh game
// state for every test, and short ways to read the simulated windows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "game/base/window_model.h"
#include "platform/sim/sim.h"

namespace zb::test {

class FlowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The simulated screen and clock of the test.
  virtual sim::Config PlatformConfig() { return {}; }
};

// The simulated window behind a form or control (loading the form).
sim::WindowRecord Rec(WindowOps& w);
plat::Rect PxRect(WindowOps& w);  // pixels, relative to the screen or parent
bool Shown(Window& f);              // loaded and on screen
void Advance(std::uint32_t ms);   // lets virtual time pass, delivering nothing

}  // namespace zb::test
