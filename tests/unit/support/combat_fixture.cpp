// The combat tests' stage.
#include "support/combat_fixture.h"

#include "enemies/enemy_state.h"
#include "game/forms.h"
#include "game/frame_loop.h"
#include "game/frame_steps.h"
#include "game/globals.h"
#include "game/random.h"
#include "platform/events.h"
#include "player/shot_state.h"
#include "shapes/balloon.h"
#include "shapes/shape_table.h"
#include "shapes/shaping.h"

namespace zb::testing {

void CombatTest::SetUp() {
  sim::Reset();
  UnloadAllForms();
  BuildShapeTable();
  BalloonShapesBuilt = kFalse;
  BuildBalloonShapes();
  ResetFrameKeys();
  SeedRandom(20240607);
  Cycle = {};
  Player = {};
  EnemySide = {};
  PlayerSide = {};
  EnemySide.EnemyMaxIndex = 5;
  EnemySide.EnemyShotMaxIndex = 5;
  SizeWindowToShape(6, frmBG);
  Cycle.BGRegion = CutWindowToShape(6, frmBG);
  frmBG.Move(0, ScreenHeightTwips() - frmBG.Height());
  for (auto& form : EnemyForms) {
    SizeWindowToShape(12, form);
    CutWindowToShape(12, form);
    form.SetBackColor(kBlack);
  }
  ShotForms[0].Move(0, 0, 63 * kTwips, kTwips);
  for (SpriteForm* f : {&frmDot, &frmEShot}) {
    f->Move(0, 0, ScreenWidthTwips(), ScreenFullHeightTwips());
  }
  frmShe.hWnd();
  frmShe.Label1[0].SetBackColor(kGreen);
  frmShe.Label1[1].SetBackColor(kGreen);
  PlaceShip(100, 974);
}

void CombatTest::TearDown() {
  UnloadAllForms();
  Cycle = {};
  Player = {};
  EnemySide = {};
  PlayerSide = {};
}

void CombatTest::PlaceShip(int px, int py) {
  SizeWindowToShape(10, frmPlayer);
  SetShapePicture(10, frmPlayer);
  Player.PlayerRegion = CutWindowToShape(10, frmPlayer);
  Player.PlayerX = static_cast<float>(px * kTwips);
  Player.PlayerY = static_cast<float>(py * kTwips);
  Player.PlayerLives = 3;
  frmPlayer.Move(Player.PlayerX, Player.PlayerY);
  frmPlayer.SetVisible(true);
}

void CombatTest::PlaceEnemy(int i, int px, int py) {
  EnemyRecord& e = EnemySide.Enemies[i];
  e.State = 1;
  e.X = static_cast<float>(px * kTwips);
  e.Y = static_cast<float>(py * kTwips);
}

void CombatTest::PlaceBoss() {
  SizeWindowToShape(8, frmBoss);
  SetShapePicture(8, frmBoss);
  CutWindowToShape(8, frmBoss);
  frmBoss.SetTop(ScreenHeightTwips() - frmBoss.Height());
  frmBoss.SetLeft(1024 * TPPX);
  Cycle.BossStopX = static_cast<std::int32_t>(frmBoss.Left() - frmBoss.Width());
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

bool CombatTest::ShipContains(int x, int y) {
  return CreateShapeRegion(10).ContainsPoint(x, y);
}

std::vector<plat::Rect> CombatTest::ShipRects() { return CreateShapeRegion(10).Rects(); }

std::optional<Offset> FindOverlap(int fixed, int moved, plat::RegionKind kind) {
  const plat::Region a = CreateShapeRegion(fixed);
  const plat::Region b = CreateShapeRegion(moved);
  const plat::Rect ea = a.Extents();
  const plat::Rect eb = b.Extents();
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
