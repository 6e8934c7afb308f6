// The game-flow tests' fixture: a fresh simulated platform and fresh game
// state for every test, and short ways to read the simulated windows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "game/form.h"
#include "platform/sim/sim.h"

namespace zb::test {

// Resets the game's state (globals, forms, balloon flag, key latches).
void ResetGameFlowState();

class FlowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The simulated screen of the test; override to change it.
  virtual sim::Config PlatformConfig() { return {}; }
};

// The simulated window behind a form (loading it if needed).
sim::WindowRecord Rec(WindowOps& w);
// Its rectangle in pixels, relative to the screen or, for controls, to the
// parent.
plat::Rect PxRect(WindowOps& w);
// Whether the form exists and its window is on screen.
bool Shown(Form& f);

// Lets `ms` virtual milliseconds pass with the platform's sleep.
void Advance(std::uint32_t ms);

}  // namespace zb::test
