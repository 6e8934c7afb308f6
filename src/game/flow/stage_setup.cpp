// The stage set-up: fresh sprite windows and a fresh game state for a game.
#include "game/flow/stage_setup.h"

#include <cmath>

#include "game/base/enemy_state.h"
#include "game/base/forms.h"
#include "game/flow/frame_loop.h"
#include "game/base/state.h"
#include "game/base/random.h"
#include "game/base/skip_on_error.h"
#include "platform/events.h"
#include "platform/keys.h"
#include "platform/numeric.h"
#include "game/base/shot_state.h"
#include "game/base/shaping.h"

namespace zb {
namespace {

constexpr plat::Color kRed = plat::RGB(255, 0, 0);
constexpr plat::Color kGreen = plat::RGB(0, 255, 0);

void UnloadSprites() {
  for (Form* f : {static_cast<Form*>(&frmBoss), static_cast<Form*>(&frmDot),
                  static_cast<Form*>(&frmEShot), static_cast<Form*>(&frmPlayer),
                  static_cast<Form*>(&frmBG)}) {
    SkipOnError([f] { f->Unload(); });
  }
  for (auto& f : EnemyForms) SkipOnError([&f] { f.Unload(); });
  for (auto& f : ShotForms) SkipOnError([&f] { f.Unload(); });
}

// Off-screen right, standing on the bottom, hidden.
void PlaceBoss() {
  SizeWindowToShape(8, frmBoss);
  SetShapePicture(8, frmBoss);
  CutWindowToShape(8, frmBoss);
  frmBoss.SetTop(ScreenHeightTwips() - frmBoss.Height());
  frmBoss.SetLeft(1024 * TPPX);
  Cycle.BossStopX = plat::RoundToInt32(frmBoss.Left() - frmBoss.Width());
  Cycle.BossActive = kFalse;
  Cycle.BossDefeated = kFalse;
  frmBoss.SetVisible(false);
}

// A hidden red window over the whole screen (bursts, enemy shots).
void PrepareFullScreenWindow(Form& form) {
  form.SetBackColor(kRed);
  form.Move(0, 0, ScreenWidthTwips(), ScreenFullHeightTwips());
  form.SetVisible(false);
}

void ShowScenery() {
  SizeWindowToShape(6, frmBG);
  SetShapePicture(6, frmBG);
  Cycle.BGRegion = CutWindowToShape(6, frmBG);
  frmBG.Move(0, ScreenHeightTwips() - frmBG.Height());
  frmBG.SetVisible(true);
}

void ShowShip() {
  SizeWindowToShape(10, frmPlayer);
  SetShapePicture(10, frmPlayer);
  Player.PlayerRegion = CutWindowToShape(10, frmPlayer);
  Player.PlayerLives = 3;
  frmPlayer.SetVisible(true);
}

void PrepareEnemyWindow(int i) {
  SizeWindowToShape(12, EnemyForms[i]);
  EnemySide.Enemies[i].RegionCopy = CutWindowToShape(12, EnemyForms[i]);
  EnemyForms[i].SetBackColor(plat::RGB(0, 0, 0));
  EnemyForms[i].SetVisible(false);
}

// A beam is a green line 63 x 1 pixels.
void PrepareShotWindow(int i) {
  ShotForms[i].SetWidth(63 * TPPX);
  ShotForms[i].SetHeight(1 * TPPY);
  ShotForms[i].SetBackColor(kGreen);
}

void FreeEnemySlots() {
  for (int i = 0; i <= EnemySide.EnemyMaxIndex; ++i) {
    SkipOnError([i] {
      EnemySide.Enemies[i].State = 0;
      EnemySide.Enemies[i].Pattern = std::floor(2 * Rnd()) == 0 ? -1 : 0;
    });
  }
  for (int i = 0; i <= EnemySide.EnemyShotMaxIndex; ++i) EnemySide.EnemyShots[i].Active = 0;
}

// A beam or particles still flying at the end of the last game do not fly
// on into this one.
void FreeShotsAndParticles() {
  for (auto& shot : PlayerSide.Shots) shot.Active = 0;
  for (auto& particle : PlayerSide.Particles) particle.Active = kFalse;
}

// Each field on its own: a limit that cannot be taken from the screen leaves
// the others filled.
void FillShipRecord() {
  SkipOnError([] { Player.PlayerX = Cycle.StartX != 0 ? Cycle.StartX * TPPX : 36 * TPPX; });
  SkipOnError([] { Player.PlayerY = ScreenHeightTwips() - 5 * frmPlayer.Height(); });
  SkipOnError([] { Player.PlayerMaxX = plat::RoundToInt32(ScreenWidthTwips()); });
  SkipOnError([] { Player.PlayerMaxY = plat::RoundToInt32(ScreenFullHeightTwips()); });
  SkipOnError([] {
    Player.PlayerMinY = plat::RoundToInt32(frmPlayer.Height() + (ScreenHeightTwips() - 1485.0));
  });
  Player.PlayerStep = 0.5f * TPPX;
  Player.PlayerHit = kFalse;
  Player.PlayerDeadFrames = 0;
}

}  // namespace

void SetUpStage() {
  EnemySide.EnemyMaxIndex = 5;
  EnemySide.EnemyShotMaxIndex = 5;
  plat::GetAsyncKeyState(plat::VK_SPACE);
  plat::DoEvents();
  Cycle.PlayerInvincible = kFalse;
  UnloadSprites();
  SkipOnError(PlaceBoss);
  SkipOnError([] { PrepareFullScreenWindow(frmDot); });
  SkipOnError(ShowScenery);
  SkipOnError([] { PrepareFullScreenWindow(frmEShot); });
  SkipOnError(ShowShip);
  for (int i = 0; i <= EnemySide.EnemyMaxIndex; ++i) SkipOnError([i] { PrepareEnemyWindow(i); });
  for (int i = 0; i < 3; ++i) SkipOnError([i] { PrepareShotWindow(i); });
  FreeEnemySlots();
  FreeShotsAndParticles();
  FillShipRecord();
  SkipOnError([] { frmSTAFF.SetBackColor(plat::RGB(224, 224, 224)); });
}

}  // namespace zb
