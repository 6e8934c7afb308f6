// Window events of the ship and the lamps: the right-click menu with the
// version dialog and the end command, the ship's timer, the focus.
#include <gtest/gtest.h>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/shaping.h"
#include "game/base/state.h"
#include "game/base/version.h"
#include "game/flow/stage_setup.h"
#include "game/parts/boss/boss.h"
#include "game/parts/lamps/lamps.h"
#include "game/parts/ship/ship_window.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "support/flow_fixture.h"

namespace zb {
namespace {

class Menu : public test::FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    SetUpStage();
    shipWindow.Move(100 * 15, 900 * 15);
    SizeWindowToShape(0, lampsWindow);
    CutWindowToShape(0, lampsWindow);
    lampsWindow.SetVisible(true);
  }
  void Choose(int item) {
    sim::AnswerMenus([item](std::span<const plat::MenuItem>) { return item; });
  }
  // A right-click on the ship (inside its outline).
  void RightClickShip() {
    sim::Click(shipWindow.Id(), plat::kRightButton, 5, 4);
    plat::DoEvents();
  }
};

TEST_F(Menu, OnlyTheRightButtonOpensIt) {
  sim::Click(shipWindow.Id(), plat::kLeftButton, 5, 4);
  sim::Click(lampsWindow.Id(), plat::kMiddleButton, 5, 5);
  plat::DoEvents();
  EXPECT_TRUE(sim::Menus().empty());
  Choose(-1);
  RightClickShip();
  sim::Click(lampsWindow.Id(), plat::kRightButton, 15, 5);  // the second lamp
  plat::DoEvents();
  ASSERT_EQ(sim::Menus().size(), 2u);
  const auto items = sim::Menus()[1].items;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].caption, "バージョン情報");
  EXPECT_TRUE(items[1].separator);
  EXPECT_EQ(items[2].caption, "終了");
}

TEST_F(Menu, VersionDialogShowsTheSameContentEachTime) {
  Choose(0);
  std::vector<plat::DialogLayout> shown;
  sim::OnDialog([&](const plat::DialogLayout& layout) { shown.push_back(layout); });
  RightClickShip();
  RightClickShip();
  ASSERT_EQ(shown.size(), 2u);
  const auto& layout = shown[1];
  EXPECT_EQ(layout.title, "バージョン情報");
  EXPECT_EQ(std::tie(layout.clientWidth, layout.clientHeight), std::make_tuple(3945, 1125));
  EXPECT_EQ(layout.icon, ProgramIcon());
  ASSERT_EQ(layout.labels.size(), 3u);
  EXPECT_EQ(layout.labels[0].text, "Zembrant");
  EXPECT_EQ(layout.labels[0].font, (plat::TextFont{"ＭＳ Ｐ明朝", 9.75, true}));
  EXPECT_EQ(layout.labels[1].text, std::string("Version ") + kVersion);
  EXPECT_EQ(layout.labels[1].where, (plat::TwipsRect{1515, 525, 1515, 285}));
  EXPECT_EQ(layout.labels[2].text, "© 2026 Zembrant developers");
  EXPECT_EQ(layout.lines.size(), 3u);
  EXPECT_EQ(layout.buttonText, "OK");
}

TEST_F(Menu, EndClosesTheGamesWindowsAndEndsWithStatus0) {
  Choose(2);
  sim::Click(lampsWindow.Id(), plat::kRightButton, 5, 5);
  try {
    plat::DoEvents();
    ADD_FAILURE() << "the program did not end";
  } catch (const plat::ProgramExit& exit) {
    EXPECT_EQ(exit.status, 0);
  }
  for (Window* f : std::initializer_list<Window*>{&sceneryWindow, &bossWindow, &particlesWindow, &enemyShotsWindow, &shipWindow,
                                              &enemyWindows[0], &beamWindows[2]}) {
    EXPECT_FALSE(f->IsLoaded()) << f->Name();
  }
}

TEST_F(Menu, ShipTimerEndsInvincibilityAndSpritesPassTheFocusOn) {
  Ship.invincible = true;
  SetShapePicture(11, shipWindow);
  shipWindow.invincibilityTimer.SetEnabled(true);
  sim::UserFocus(sceneryWindow.Id());
  test::Advance(1000);
  plat::DoEvents();
  EXPECT_EQ(Ship.invincible, false);
  EXPECT_EQ(shipWindow.Picture(), ShapePicture(10));
  EXPECT_FALSE(shipWindow.invincibilityTimer.Enabled());
  EXPECT_EQ(sim::FocusedWindow(), lampsWindow.Id());
}

}  // namespace
}  // namespace zb
