// Window events of the ship and the lamps: the end of invincibility and the
// focus kept on the lamps window.
#include <gtest/gtest.h>

#include "game/forms.h"
#include "game/globals.h"
#include "game/stage_setup.h"
#include "platform/events.h"
#include "shapes/pictures.h"
#include "shapes/shaping.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

class WindowEvents : public test::FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    SetUpStage();
    frmShe.SetVisible(true);
  }
};

TEST_F(WindowEvents, ShipTimerEndsInvincibilityOnce) {
  Cycle.PlayerInvincible = kTrue;
  SetShapePicture(11, frmPlayer);
  frmPlayer.Timer1.SetEnabled(true);
  test::Advance(999);
  plat::DoEvents();
  EXPECT_EQ(Cycle.PlayerInvincible, kTrue);
  test::Advance(1);
  plat::DoEvents();
  EXPECT_EQ(Cycle.PlayerInvincible, kFalse);
  EXPECT_EQ(frmPlayer.Picture(), ShapePicture(10));
  EXPECT_FALSE(frmPlayer.Timer1.Enabled());
}

TEST_F(WindowEvents, SpriteWindowsPassTheFocusToTheLamps) {
  for (Form* f : std::initializer_list<Form*>{&frmBG, &frmBoss, &EnemyForms[0], &frmSTAFF}) {
    sim::UserFocus(f->hWnd());
    plat::DoEvents();
    EXPECT_EQ(sim::FocusedWindow(), frmShe.hWnd()) << f->Name();
  }
  sim::UserFocus(frmPlayer.hWnd());  // the ship keeps it
  plat::DoEvents();
  EXPECT_EQ(sim::FocusedWindow(), frmPlayer.hWnd());
  sim::UserFocus(plat::kNoWindow);  // another program: not snatched back
  plat::DoEvents();
  EXPECT_EQ(sim::FocusedWindow(), plat::kNoWindow);
}

}  // namespace
}  // namespace zb
