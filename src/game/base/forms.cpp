// The game's forms and their design-time properties.
#include "game/base/forms.h"

#include "game/base/screen_metrics.h"

namespace zb {

SheForm frmShe("frmShe");
SpriteForm frmSTAFF("frmSTAFF");
PlayerForm frmPlayer("frmPlayer");
BossForm frmBoss("frmBoss");
SpriteForm frmBG("frmBG");
SpriteForm frmDot("frmDot");
SpriteForm frmEShot("frmEShot");
BalloonCapForm frmL("frmL", 0);
BalloonCenterForm frmC("frmC");
BalloonCapForm frmR("frmR", 1);
std::array<SpriteForm, 6> EnemyForms{SpriteForm("frmEnemy"), SpriteForm("frmEnemy"),
                                     SpriteForm("frmEnemy"), SpriteForm("frmEnemy"),
                                     SpriteForm("frmEnemy"), SpriteForm("frmEnemy")};
std::array<SpriteForm, 3> ShotForms{SpriteForm("frmShot"), SpriteForm("frmShot"),
                                    SpriteForm("frmShot")};

void SpriteForm::OnLoad() { plat::SetGotFocusHandler(id_, [] { frmShe.SetFocus(); }); }

void CoverScreenHidden(Form& form) {
  form.SetBackColor(plat::RGB(255, 0, 0));
  form.Move(0, 0, ScreenWidthTwips(), ScreenFullHeightTwips());
  form.SetVisible(false);
}

void UnloadAllForms() {
  for (Form* f : std::initializer_list<Form*>{&frmL, &frmC, &frmR, &frmBG, &frmBoss, &frmDot,
                                              &frmEShot, &frmPlayer, &frmSTAFF, &frmShe}) {
    f->Unload();
  }
  for (auto& f : EnemyForms) f.Unload();
  for (auto& f : ShotForms) f.Unload();
}

}  // namespace zb
