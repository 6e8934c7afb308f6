// The game's forms and their design-time properties.
#include "game/base/forms.h"

#include "game/base/handlers.h"
#include "game/base/pictures.h"

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

void SpriteForm::OnLoad() { plat::SetGotFocusHandler(id_, [] { GiveFocusToShe(); }); }

void SheForm::OnLoad() {
  plat::SetPicture(id_, ShapePicture(0));
  // Two lamps: Label1(0) at (0, 0) and Label1(1) at (195, -15), 180 x 225.
  const double lefts[2] = {0, 195};
  const double tops[2] = {0, -15};
  for (int i = 0; i < 2; ++i) {
    Label1[i].id = plat::CreateLabel(id_, "Label1");
    plat::SetWindowRect(Label1[i].id, lefts[i], tops[i], 180, 225);
    plat::SetVisible(Label1[i].id, true);
    plat::SetMouseDownHandler(Label1[i].id, [i](int button, int x, int y) {
      frmShe_Label1_MouseDown(i, button, x, y);
    });
  }
  frmShe_Form_Load();
}

void SheForm::OnUnload() {
  for (auto& label : Label1) label.id = plat::kNoWindow;
}

void PlayerForm::OnLoad() {
  Timer1.id = plat::CreateTimer(id_, [] { frmPlayer_Timer1_Timer(); });
  plat::SetTimerInterval(Timer1.id, 1000);
  plat::SetTimerEnabled(Timer1.id, false);
  plat::SetMouseDownHandler(id_, [](int button, int x, int y) {
    frmPlayer_Form_MouseDown(button, x, y);
  });
}

void PlayerForm::OnUnload() { Timer1.id = plat::kNoTimer; }

void BossForm::OnLoad() {
  SpriteForm::OnLoad();
  CT.id = plat::CreatePictureBox(id_, "CT");
  plat::SetVisible(CT.id, true);
  Timer1.id = plat::CreateTimer(id_, [] { frmBoss_Timer1_Timer(); });
  plat::SetTimerEnabled(Timer1.id, false);
  plat::SetTimerInterval(Timer1.id, 50);
  Timer2.id = plat::CreateTimer(id_, [] { frmBoss_Timer2_Timer(); });
  plat::SetTimerInterval(Timer2.id, 0);
  plat::SetTimerEnabled(Timer2.id, true);
  Timer3.id = plat::CreateTimer(id_, [] { frmBoss_Timer3_Timer(); });
  plat::SetTimerEnabled(Timer3.id, false);
  plat::SetTimerInterval(Timer3.id, 50);
  frmBoss_Form_Load();
}

void BossForm::OnUnload() {
  CT.id = plat::kNoWindow;
  Timer1.id = Timer2.id = Timer3.id = plat::kNoTimer;
}

void BalloonCapForm::OnLoad() {
  // frmL starts 5055 x 150 twips; the balloon sizes both caps before showing.
  if (capPicture_ == 0) plat::SetWindowRect(id_, 0, 0, 5055, 150);
  plat::SetPicture(id_, BalloonCapPicture(capPicture_));
}

void BalloonCenterForm::OnLoad() {
  plat::SetBackColor(id_, plat::RGB(255, 255, 255));
  cmdClose.id = plat::CreateLabel(id_, "cmdClose");
  plat::SetWindowRect(cmdClose.id, 2640, 135, 750, 165);
  plat::SetCaption(cmdClose.id, "  [閉じる]", {"ＭＳ Ｐゴシック", 8.25, true}, plat::RGB(0, 0, 0));
  plat::SetVisible(cmdClose.id, true);
  plat::SetMouseDownHandler(cmdClose.id, [](int button, int, int) {
    if (button == plat::kLeftButton) frmC_cmdClose_Click();
  });
  Line1.id = plat::CreateLine(id_, "Line1");
  plat::SetVisible(Line1.id, true);
  Line2.id = plat::CreateLine(id_, "Line2");
  plat::SetVisible(Line2.id, true);
}

void BalloonCenterForm::OnUnload() {
  cmdClose.id = Line1.id = Line2.id = plat::kNoWindow;
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
