// The right-click menu of the ship and the lamps, the version dialog and the
// end command.
#include <gtest/gtest.h>

#include "game/forms.h"
#include "game/handlers.h"
#include "game/stage_setup.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "shapes/balloon.h"
#include "shapes/pictures.h"
#include "shapes/shaping.h"
#include "support/flow_fixture.h"
#include "windows/side_windows.h"

namespace zb {
namespace {

using test::Shown;

class Menu : public test::FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    SetUpStage();
    frmPlayer.Move(100 * 15, 900 * 15);
    SizeWindowToShape(0, frmShe);
    CutWindowToShape(0, frmShe);
    frmShe.SetVisible(true);
  }
  void Choose(int item) {
    sim::AnswerMenus([item](std::span<const plat::MenuItem>) { return item; });
  }
};

TEST_F(Menu, RightClickOnTheShipOrALampOpensIt) {
  Choose(-1);
  sim::Click(frmPlayer.hWnd(), plat::kRightButton, 5, 4);  // inside the outline
  plat::DoEvents();
  ASSERT_EQ(sim::Menus().size(), 1u);
  const auto items = sim::Menus()[0].items;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].caption, "バージョン情報");
  EXPECT_TRUE(items[1].separator);
  EXPECT_EQ(items[2].caption, "終了");
  sim::Click(frmShe.hWnd(), plat::kRightButton, 15, 5);  // the second lamp
  plat::DoEvents();
  EXPECT_EQ(sim::Menus().size(), 2u);
}

TEST_F(Menu, OtherButtonsDoNothing) {
  sim::Click(frmPlayer.hWnd(), plat::kLeftButton, 5, 4);
  sim::Click(frmShe.hWnd(), plat::kMiddleButton, 5, 5);
  plat::DoEvents();
  EXPECT_EQ(sim::Clicks().size(), 2u);
  EXPECT_TRUE(sim::Menus().empty());
}

TEST_F(Menu, VersionDialogShowsItsContentEachTime) {
  Choose(0);
  std::vector<plat::DialogSpec> shown;
  sim::OnDialog([&](const plat::DialogSpec& spec) { shown.push_back(spec); });
  for (int i = 0; i < 2; ++i) {
    sim::Click(frmPlayer.hWnd(), plat::kRightButton, 5, 4);
    plat::DoEvents();
  }
  ASSERT_EQ(shown.size(), 2u);
  const auto& spec = shown[1];
  EXPECT_EQ(spec.title, "バージョン情報");
  EXPECT_EQ(spec.clientWidth, 3945);
  EXPECT_EQ(spec.clientHeight, 1125);
  EXPECT_EQ(spec.icon, ProgramIcon());
  EXPECT_EQ(spec.iconRect, (plat::TwipsRect{180, 210, 480, 480}));
  ASSERT_EQ(spec.labels.size(), 3u);
  EXPECT_EQ(spec.labels[0].text, "Zembrant");
  EXPECT_EQ(spec.labels[0].font, (plat::FontSpec{"ＭＳ Ｐ明朝", 9.75, true}));
  EXPECT_EQ(spec.labels[0].where, (plat::TwipsRect{735, 210, 2610, 285}));
  EXPECT_EQ(spec.labels[1].text, "Version 1.0.0");
  EXPECT_EQ(spec.labels[1].font, (plat::FontSpec{"Times New Roman", 9.75, true}));
  EXPECT_EQ(spec.labels[1].where, (plat::TwipsRect{1515, 525, 1515, 285}));
  EXPECT_EQ(spec.labels[2].text, "© 2026 The Zembrant developers");
  EXPECT_EQ(spec.labels[2].where, (plat::TwipsRect{780, 930, 2775, 225}));
  ASSERT_EQ(spec.lines.size(), 3u);
  EXPECT_EQ(spec.lines[1].y1, 885);
  EXPECT_EQ(spec.lines[0].color, plat::RGB(255, 255, 255));
  EXPECT_EQ(spec.buttonText, "OK");
  EXPECT_EQ(spec.buttonRect, (plat::TwipsRect{3105, 135, 795, 345}));
}

TEST_F(Menu, EndClosesTheGamesWindowsAndEndsWithStatus0) {
  ShowBalloon("いくぞ！", 1500, 9000, TailLeft, 1, "");
  Choose(2);
  sim::Click(frmShe.hWnd(), plat::kRightButton, 5, 5);
  try {
    plat::DoEvents();
    ADD_FAILURE() << "the program did not end";
  } catch (const plat::ProgramExit& exit) {
    EXPECT_EQ(exit.status, 0);
  }
  for (Form* f : std::initializer_list<Form*>{&frmL, &frmC, &frmR, &frmBG, &frmBoss, &frmDot,
                                              &frmEShot, &frmPlayer}) {
    EXPECT_FALSE(f->IsLoaded()) << f->Name();
  }
  for (auto& f : EnemyForms) EXPECT_FALSE(f.IsLoaded());
  for (auto& f : ShotForms) EXPECT_FALSE(f.IsLoaded());
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(Menu, EndWorksWithNoBalloonOrBossOnScreen) {
  frmBoss.Unload();
  EXPECT_THROW(frmMenu_mend_Click(), plat::ProgramExit);
}

}  // namespace
}  // namespace zb
