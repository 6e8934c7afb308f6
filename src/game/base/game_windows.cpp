// The game's windows, created with their X window names; each part loads
// its own.
#include "game/base/game_windows.h"

#include "game/base/screen_metrics.h"

namespace zb {

LampsWindow lampsWindow("frmShe");
SpriteWindow bannerWindow("frmSTAFF");
ShipWindow shipWindow("frmPlayer");
BossWindow bossWindow("frmBoss");
SpriteWindow sceneryWindow("frmBG");
SpriteWindow particlesWindow("frmDot");
SpriteWindow enemyShotsWindow("frmEShot");
BalloonCapWindow balloonLeft("frmL", 0);
BalloonCentreWindow balloonCentre("frmC");
BalloonCapWindow balloonRight("frmR", 1);
std::array<SpriteWindow, 6> enemyWindows{SpriteWindow("frmEnemy"), SpriteWindow("frmEnemy"),
                                         SpriteWindow("frmEnemy"), SpriteWindow("frmEnemy"),
                                         SpriteWindow("frmEnemy"), SpriteWindow("frmEnemy")};
std::array<SpriteWindow, 3> beamWindows{SpriteWindow("frmShot"), SpriteWindow("frmShot"),
                                        SpriteWindow("frmShot")};
SpriteWindow clickHintWindow("frmClick");

void SpriteWindow::OnLoad() { plat::SetGotFocusHandler(id_, [] { lampsWindow.SetFocus(); }); }

void CoverScreenHidden(Window& window) {
  window.SetBackColor(plat::RGB(255, 0, 0));
  window.Move(0, 0, ScreenWidthTwips(), ScreenFullHeightTwips());
  window.SetVisible(false);
}

void UnloadAllWindows() {
  for (Window* w : std::initializer_list<Window*>{&balloonLeft, &balloonCentre, &balloonRight,
                                                  &sceneryWindow, &bossWindow, &particlesWindow,
                                                  &enemyShotsWindow, &shipWindow, &bannerWindow,
                                                  &lampsWindow, &clickHintWindow}) {
    w->Unload();
  }
  for (auto& f : enemyWindows) f.Unload();
  for (auto& f : beamWindows) f.Unload();
}

}  // namespace zb
