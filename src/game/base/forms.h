// Every window of the game, by the name the game gives it.
#pragma once

#include <array>

#include "game/base/form.h"

namespace zb {

// A sprite form whose focus goes straight on to the lamps window.
class SpriteForm : public Form {
 public:
  using Form::Form;

 protected:
  void OnLoad() override;
};

// frmShe: the lives lamps, two labels.
class SheForm : public Form {
 public:
  using Form::Form;
  std::array<Control, 2> Label1;

 protected:
  void OnLoad() override;
  void OnUnload() override;
};

// frmPlayer: the ship, with the timer that ends its invincibility.
class PlayerForm : public Form {
 public:
  using Form::Form;
  Timer Timer1;

 protected:
  void OnLoad() override;
  void OnUnload() override;
};

// frmBoss: the boss, its core CT and its three timers.
class BossForm : public SpriteForm {
 public:
  using SpriteForm::SpriteForm;
  std::int32_t nPower = 0;   // remaining hits
  std::int32_t nBururu = 0;  // step of the current shake
  Control CT;
  Timer Timer1;  // entry slide
  Timer Timer2;  // after-hit reaction
  Timer Timer3;  // shake

 protected:
  void OnLoad() override;
  void OnUnload() override;
};

// frmC: the balloon's centre, with its close label and border lines.
class BalloonCenterForm : public Form {
 public:
  using Form::Form;
  Control cmdClose;
  Control Line1;
  Control Line2;

 protected:
  void OnLoad() override;
  void OnUnload() override;
};

// frmL, frmR: the balloon's end caps, with their design-time picture.
class BalloonCapForm : public Form {
 public:
  BalloonCapForm(std::string name, int capPicture) : Form(std::move(name)), capPicture_(capPicture) {}

 protected:
  void OnLoad() override;

 private:
  int capPicture_;
};

extern SheForm frmShe;
extern SpriteForm frmSTAFF;
extern PlayerForm frmPlayer;
extern BossForm frmBoss;
extern SpriteForm frmBG;
extern SpriteForm frmDot;
extern SpriteForm frmEShot;
extern BalloonCapForm frmL;
extern BalloonCenterForm frmC;
extern BalloonCapForm frmR;
extern std::array<SpriteForm, 6> EnemyForms;  // frmEnemy instances
extern std::array<SpriteForm, 3> ShotForms;   // frmShot instances

// Unloads every form (end of a test, end of the program).
void UnloadAllForms();

}  // namespace zb
