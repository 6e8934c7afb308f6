// The game-flow tests' fixture.
#include "support/flow_fixture.h"

#include "game/base/enemy_state.h"
#include "game/base/forms.h"
#include "game/flow/frame_steps.h"
#include "game/base/state.h"
#include "platform/events.h"
#include "game/base/shot_state.h"
#include "game/parts/balloon/balloon.h"
#include "game/base/shape_table.h"

namespace zb::test {
namespace {

void ResetGameState() {
  UnloadAllForms();
  Cycle = CycleState{};
  Player = PlayerRecord{};
  EnemySide = EnemyState{};
  PlayerSide = PlayerSideState{};
  BalloonShapesBuilt = kFalse;
  ResetFrameKeys();
}

}  // namespace

void FlowTest::SetUp() {
  sim::Reset(PlatformConfig());
  ResetGameState();
  BuildShapeTable();
  BuildBalloonShapes();
}

void FlowTest::TearDown() {
  ResetGameState();
  sim::Reset();
}

sim::WindowRecord Rec(WindowOps& w) { return sim::Window(w.hWnd()).value_or(sim::WindowRecord{}); }

plat::Rect PxRect(WindowOps& w) { return Rec(w).rect; }

bool Shown(Form& f) { return f.IsLoaded() && Rec(f).shown; }

void Advance(std::uint32_t ms) { plat::Sleep(static_cast<int>(ms)); }

}  // namespace zb::test
