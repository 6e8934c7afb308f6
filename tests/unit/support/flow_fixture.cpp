// The game-flow tests' fixture.
#include "support/flow_fixture.h"

#include "enemies/enemy_state.h"
#include "game/forms.h"
#include "game/frame_steps.h"
#include "game/globals.h"
#include "platform/events.h"
#include "player/shot_state.h"
#include "shapes/balloon.h"
#include "shapes/shape_table.h"

namespace zb::test {

void ResetGameFlowState() {
  UnloadAllForms();
  Cycle = CycleState{};
  Player = PlayerRecord{};
  EnemySide = EnemyState{};
  PlayerSide = PlayerSideState{};
  BalloonShapesBuilt = kFalse;
  ResetFrameKeys();
}

void FlowTest::SetUp() {
  sim::Reset(PlatformConfig());
  ResetGameFlowState();
  BuildShapeTable();
  BuildBalloonShapes();
}

void FlowTest::TearDown() {
  ResetGameFlowState();
  sim::Reset();
}

sim::WindowRecord Rec(WindowOps& w) {
  const auto r = sim::Window(w.hWnd());
  return r ? *r : sim::WindowRecord{};
}

plat::Rect PxRect(WindowOps& w) { return Rec(w).rect; }

bool Shown(Form& f) {
  if (!f.IsLoaded()) return false;
  const auto r = sim::Window(f.hWnd());
  return r && r->shown;
}

void Advance(std::uint32_t ms) { plat::Sleep(static_cast<int>(ms)); }

}  // namespace zb::test
