// The boss and the win: from start column 950 the boss slides in and taunts,
// the ship is steered to its core and fires until the wreck stands; then the
// closing lines, the fly-out, the staff roll and the title again.
#include <algorithm>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "e2e/game.h"
#include "game/parts/boss/boss.h"

namespace e2e {
namespace {

class Boss : public GameTest {
 protected:
  // The staff roll's outline at step i of the roll: the credits i pixels
  // up, the closing line 600 - i pixels down until it stops at 45.
  plat::Region RollOutline(int i) {
    plat::Region credits = Credits();
    credits.Offset(0, -i);
    plat::Region closing = ClosingLine();
    closing.Offset(0, i < 555 ? 600 - i : 45);
    credits.Unite(closing);
    credits.Intersect(plat::Region(plat::Rect{0, 0, 163, 95}));
    return credits;
  }
  // The step whose outline the window shows, or -1.
  int RollStep(const plat::Region& shown) {
    for (int i = 0; i <= 610; ++i) {
      if (RollOutline(i) == shown) return i;
    }
    return -1;
  }

 private:
  const plat::Region& Credits() {
    if (credits_.IsEmpty()) credits_ = TableOutline(2, 1 << 16, 1 << 16);
    return credits_;
  }
  const plat::Region& ClosingLine() {
    if (closing_.IsEmpty()) closing_ = TableOutline(3, 1 << 16, 1 << 16);
    return closing_;
  }
  plat::Region credits_;
  plat::Region closing_;
};

TEST_F(Boss, TheBossEntersFallsToTheBeamAndTheWinEndsWithTheStaffRoll) {
  GameOptions options;
  options.args = {"950"};
  ASSERT_NO_FATAL_FAILURE(StartGame(options));
  ASSERT_TRUE(WaitForTitle(Ms(60000))) << Game().Stderr();
  const Window ship = Get("frmPlayer");
  EXPECT_EQ(ship.rect.left, 951);
  ASSERT_NO_FATAL_FAILURE(PressSpaceAtTitle());

  // Past pixel 912 at once: the scenery closes behind the ship.
  const std::optional<Window> bg = X().One("frmBG");
  ASSERT_TRUE(bg);
  EXPECT_TRUE(WaitUntil([&] { return X().Shape(bg->id) == TableOutline(7, 1024, 99); }, Ms(15000)))
      << "the scenery does not change to its second outline";
  // "うぉ！" at the ship.
  std::optional<Balloon> b = WaitForBalloon(Ms(10000));
  ASSERT_TRUE(b) << "no balloon at the boss's entrance";
  EXPECT_EQ(b->kind(), 0);
  EXPECT_EQ(b->left.rect.left, ship.rect.left + 15);
  EXPECT_EQ(b->left.rect.top, ship.rect.top - 10);
  EXPECT_EQ(b->outline, ExpectedBalloon(0, ship.rect.left + 15, ship.rect.top - 10, b->centre.rect.Width()));
  ExpectShowsPicture(*bg, 7);

  // The boss slides in from pixel 1024 and stops one pixel beyond its width.
  std::vector<int> lefts;
  std::optional<Window> boss;
  bool homePressed = false;
  std::optional<Balloon> taunt;
  ASSERT_TRUE(WaitUntil(
      [&] {
        if (const std::optional<Window> w = X().One("frmBoss")) {
          boss = w;
          if (lefts.empty() || lefts.back() != w->rect.left) lefts.push_back(w->rect.left);
          if (!homePressed) {
            X().Tap(key::kHome);  // invincible once the frames run again
            homePressed = true;
          }
        }
        taunt = ReadBalloon();
        return boss && taunt && taunt->kind() == 1;
      },
      Ms(30000), Ms(5)))
      << lefts.size() << " boss positions seen";
  ASSERT_FALSE(lefts.empty());
  EXPECT_GE(lefts.front(), 1020) << "the boss does not come in from pixel 1024";
  EXPECT_TRUE(std::is_sorted(lefts.rbegin(), lefts.rend())) << "the boss does not slide left only";
  EXPECT_GE(lefts.size(), 10u) << "the boss jumps in instead of sliding";
  boss = X().One("frmBoss");
  ASSERT_TRUE(boss);
  const int bottom = WorkBottom();
  EXPECT_EQ(boss->rect, (plat::Rect{986, bottom - 66, 1023, bottom}));
  EXPECT_EQ(X().Shape(boss->id), TableOutline(8, 37, 66));

  // The taunt, its tail at the boss.
  EXPECT_EQ(taunt->right.rect.left, boss->rect.left);
  EXPECT_EQ(taunt->left.rect.top, boss->rect.top + 20 - 10);
  const int tauntLeft = taunt->left.rect.left;
  EXPECT_EQ(taunt->outline,
            ExpectedBalloon(1, tauntLeft, taunt->left.rect.top, taunt->centre.rect.Width()));
  EXPECT_TRUE(TailTipIn(*taunt, boss->rect)) << "the taunt's tail is not at the boss";
  EXPECT_TRUE(WaitUntil([&] { return BalloonGone(); }, Ms(10000))) << "the taunt stays";

  // The core: a child window cut to its own outline, green at full strength.
  EXPECT_TRUE(WaitForColour(*boss, TableOutline(5, 37, 66), 0x00ff00)) << "the core is not green";

  // HOME during the entrance made the ship invincible.
  std::this_thread::sleep_for(Ms(300));
  ASSERT_TRUE(ExpectShowsPicture(Get("frmPlayer"), 11))
      << "not invincible: the boss's sprays would end the game";

  // Down to the core's height, then fire until the wreck stands on the
  // bottom, a volley at a time.
  const int stripTop = bottom - 99;
  ASSERT_NO_FATAL_FAILURE(SteerToTheCore(stripTop));
  const Window aimed = Get("frmPlayer");
  const CoreFight fight = FightTheBoss(*boss);
  ASSERT_NO_FATAL_FAILURE(ExpectCoreColours(fight));
  const std::optional<Window>& wreck = fight.wreck;
  EXPECT_EQ(wreck->rect.bottom, bottom);
  EXPECT_EQ(X().Shape(wreck->id), TableOutline(9, 61, 45));
  ExpectShowsPicture(*wreck, 9);

  // "やられた・・・" at the wreck, then "やったぜ！！" at the ship.
  b = WaitForBalloon(Ms(10000));
  ASSERT_TRUE(b) << "the boss says nothing";
  const Window wreckNow = Get("frmBoss");
  EXPECT_EQ(b->kind(), 1);
  // At the wreck as it stood when it spoke: a shake under way when the last
  // volley hit may have moved it since, within the shake's reach.
  int shaken = 0, reachLeft = 0, reachRight = 0;
  for (const int step : zb::kBossShakeSteps) {
    shaken += step;
    reachLeft = std::min(reachLeft, shaken);
    reachRight = std::max(reachRight, shaken);
  }
  EXPECT_GE(b->right.rect.left, wreckNow.rect.left + reachLeft);
  EXPECT_LE(b->right.rect.left, wreckNow.rect.left + reachRight);
  EXPECT_EQ(b->left.rect.top, wreckNow.rect.top - 10);
  EXPECT_TRUE(TailTipIn(*b, wreckNow.rect)) << "the last words do not come from the wreck";
  EXPECT_TRUE(WaitUntil([&] { return BalloonGone(); }, Ms(10000)));
  b = WaitForBalloon(Ms(10000));
  ASSERT_TRUE(b) << "the ship says nothing";
  EXPECT_EQ(b->kind(), 0);
  EXPECT_EQ(b->left.rect.left, aimed.rect.left + 15);
  EXPECT_EQ(b->left.rect.top, aimed.rect.top - 10);
  EXPECT_TRUE(TailTipIn(*b, aimed.rect)) << "the last line does not come from the ship";
  EXPECT_TRUE(WaitUntil([&] { return BalloonGone(); }, Ms(10000)));

  // The fly-out: a pixel every 50 ms to pixel 1024.
  const Clock::time_point flyStart = Clock::now();
  EXPECT_TRUE(WaitUntil([&] { return Get("frmPlayer").rect.left >= 1024; }, Ms(30000)))
      << "the ship does not fly out";
  const double flyMs = MsSince(flyStart);
  EXPECT_EQ(Get("frmPlayer").rect.left, 1024);
  EXPECT_GE(flyMs, 0.8 * 50 * (1024 - aimed.rect.left)) << "the fly-out is too fast";

  // The staff roll at the bottom centre; its outline is the credits moved up.
  const int rollLeft = (ScreenWidth() - 163) / 2;
  const plat::Rect rollRect{rollLeft, bottom - 95, rollLeft + 163, bottom};
  const std::optional<Window> roll = X().WaitFor(
      "frmSTAFF", Ms(10000), [](const Window& w) { return w.rect.Width() == 163; });
  ASSERT_TRUE(roll) << "no staff roll";
  EXPECT_EQ(roll->rect, rollRect);
  // Each reading shows the outline at some moment between asking and having
  // the answer: the two moments lie at least from the first answer to the
  // second question apart, and at most from the first question to the second
  // answer.
  std::this_thread::sleep_for(Ms(1000));
  const Clock::time_point asked1 = Clock::now();
  const plat::Region shown1 = X().Shape(roll->id);
  const Clock::time_point answered1 = Clock::now();
  std::this_thread::sleep_for(Ms(2000));
  const double leastSteps = MsSince(answered1) / 50;
  const plat::Region shown2 = X().Shape(roll->id);
  const double mostSteps = MsSince(asked1) / 50;
  const int step1 = RollStep(shown1);
  const int step2 = RollStep(shown2);
  EXPECT_GE(step1, 0) << "the roll shows no step of the credits";
  EXPECT_GE(step2, step1 + leastSteps / 2) << "the credits do not scroll";
  EXPECT_LE(step2, step1 + mostSteps + 3) << "the credits scroll too fast";
  // The lettering shows its pictures' colours, light faces and dark shades,
  // so that it reads on a light desktop too. Each step re-cuts the window
  // and paints what the cut uncovers a moment later: the roll is read until
  // a reading falls between the two.
  std::set<std::uint32_t> lettering;
  for (int shape : {2, 3}) {
    const plat::Picture* pic = Picture(shape);
    ASSERT_TRUE(pic);
    for (int i = 0; i < pic->width * pic->height; ++i) lettering.insert(pic->pixels[i]);
  }
  lettering.erase(0x000000);  // the pictures' key colour
  const auto brightness = [](std::uint32_t rgb) { return (rgb >> 16) + ((rgb >> 8) & 0xff) + (rgb & 0xff); };
  std::set<std::uint32_t> rollColours;
  const bool lit = WaitUntil([&] {
    rollColours.clear();
    for (const Pixel& p : VisiblePixels(*roll, X().Shape(roll->id))) rollColours.insert(p.rgb);
    const bool ours = std::all_of(rollColours.begin(), rollColours.end(),
                                  [&](std::uint32_t c) { return lettering.count(c) > 0; });
    std::uint32_t lightest = 0, darkest = 3 * 255;
    for (std::uint32_t c : rollColours) {
      lightest = std::max(lightest, brightness(c));
      darkest = std::min(darkest, brightness(c));
    }
    return ours && lightest > 600 && lightest > darkest + 300;
  }, Ms(2000));
  EXPECT_TRUE(lit) << "the roll does not show its lettering's light faces and dark shades ("
                   << rollColours.size() << " colours)";

  // The fade to dark grey, then the title again.
  int darkest = 255;
  std::optional<Window> title;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (const Pixel& p : VisiblePixels(*roll, X().Shape(roll->id))) {
          const int r = static_cast<int>(p.rgb >> 16);
          if (p.rgb == static_cast<std::uint32_t>(r * 0x010101)) darkest = std::min(darkest, r);
        }
        return X().WaitFor("frmSTAFF", Ms(0), [](const Window& w) { return w.rect.Width() == 300; })
            .has_value();
      },
      Ms(120000), Ms(40)))
      << "no title after the staff roll";
  EXPECT_GE(darkest, 65);
  EXPECT_LE(darkest, 90) << "the roll does not fade to dark grey";
  title = WaitForTitle(Ms(10000));
  ASSERT_TRUE(title);
  EXPECT_EQ(X().Shape(title->id), TableOutline(4, 300, 48));
  const std::optional<Window> lamps = X().One("frmShe");
  ASSERT_TRUE(lamps);
  EXPECT_TRUE(WaitForColour(*lamps, X().Shape(lamps->id), 0x00ff00)) << "a lamp is out at the new title";
  ExpectRunning();
  EndThroughMenu();
}

}  // namespace
}  // namespace e2e
