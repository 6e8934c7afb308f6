// The combat tests' stage.
#include "game/base/game_windows.h"
#include "game/base/random.h"
#include "game/base/shape_table.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/flow/entry.h"
#include "game/flow/frame_loop.h"
#include "game/flow/stage_setup.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/lamps/lamps.h"
#include "game/parts/ship/ship_window.h"
#include "platform/events.h"
#include "support/combat_fixture.h"

namespace zb::testing {

void CombatTest::SetUp() {
  sim::Reset();
  ResetGameState();
  BuildShapeTable();
  BuildBalloonShapes();
  SeedRandom(20240607);
  SetUpStage();
  lampsWindow.Id();
  for (auto& lamp : lampsWindow.lamps) lamp.SetBackColor(kGreen);
  Ship.x = 100 * kTwips;
  shipWindow.Move(Ship.x, Ship.y);
}

void CombatTest::TearDown() {
  sim::SetYieldHook({});
  ResetGameState();
}

void CombatTest::PlaceEnemy(int i, int px, int py) {
  Enemies.slots[i].state = 1;
  Enemies.slots[i].x = static_cast<float>(px * kTwips);
  Enemies.slots[i].y = static_cast<float>(py * kTwips);
}

void CombatTest::Wait(int ms) {
  plat::Sleep(ms);
  plat::DoEvents();
}

sim::WindowRecord Record(plat::WindowId w) {
  auto rec = sim::Window(w);
  EXPECT_TRUE(rec.has_value());
  return rec.value_or(sim::WindowRecord{});
}

std::optional<Offset> FindOverlap(int fixed, int moved, plat::RegionKind kind) {
  const plat::Region a = CreateShapeRegion(fixed);
  const plat::Region b = CreateShapeRegion(moved);
  const plat::Rect ea = a.Extents(), eb = b.Extents();
  for (int dy = ea.top - eb.bottom; dy <= ea.bottom - eb.top; ++dy) {
    for (int dx = ea.left - eb.right; dx <= ea.right - eb.left; ++dx) {
      plat::Region m = b;
      m.Offset(dx, dy);
      m.Intersect(a);
      if (m.Kind() == kind) return Offset{dx, dy};
    }
  }
  return std::nullopt;
}

}  // namespace zb::testing
