// The game-flow tests' fixture.
#include "game/base/game_windows.h"
#include "game/base/shape_table.h"
#include "game/base/state.h"
#include "game/flow/entry.h"
#include "game/flow/frame_loop.h"
#include "game/parts/balloon/balloon.h"
#include "platform/events.h"
#include "support/flow_fixture.h"

namespace zb::test {

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

sim::WindowRecord Rec(WindowOps& w) { return sim::Window(w.Id()).value_or(sim::WindowRecord{}); }

plat::Rect PxRect(WindowOps& w) { return Rec(w).rect; }

bool Shown(Window& f) { return f.IsLoaded() && Rec(f).shown; }

void Advance(std::uint32_t ms) { plat::Sleep(static_cast<int>(ms)); }

}  // namespace zb::test
