// The plain sprites, created with their X window names; each part loads its
// own.
#include "game/base/game_windows.h"

#include "game/base/screen_metrics.h"

namespace zb {
namespace {

Window* spriteFocusTarget = nullptr;  // constant-initialised: set before any constructor runs

}  // namespace

SpriteWindow bannerWindow("frmSTAFF");
SpriteWindow sceneryWindow("frmBG");
SpriteWindow particlesWindow("frmDot");
SpriteWindow enemyShotsWindow("frmEShot");
std::array<SpriteWindow, 6> enemyWindows{SpriteWindow("frmEnemy"), SpriteWindow("frmEnemy"),
                                         SpriteWindow("frmEnemy"), SpriteWindow("frmEnemy"),
                                         SpriteWindow("frmEnemy"), SpriteWindow("frmEnemy")};
std::array<SpriteWindow, 3> beamWindows{SpriteWindow("frmShot"), SpriteWindow("frmShot"),
                                        SpriteWindow("frmShot")};

void SetSpriteFocusTarget(Window& window) { spriteFocusTarget = &window; }

void SpriteWindow::OnLoad() {
  plat::SetGotFocusHandler(id_, [] {
    if (spriteFocusTarget) spriteFocusTarget->SetFocus();
  });
}

void CoverScreenHidden(Window& window) {
  window.SetBackColor(plat::RGB(255, 0, 0));
  window.Move(0, 0, ScreenWidthTwips(), ScreenFullHeightTwips());
  window.SetVisible(false);
}

}  // namespace zb
