// Combat in a spawn zone: enemies appear ahead of the ship and fly left, their
// shots are cut out of one full-screen window, Space fires the beam.
#include <map>
#include <optional>
#include <thread>

#include "e2e/game.h"

namespace e2e {
namespace {

class Combat : public GameTest {};

// Every pixel of the outline lies in a 2 x 2 square that lies wholly in it.
bool MadeOfTwoByTwoSquares(const plat::Region& r) {
  for (const plat::Rect& band : r.Rects()) {
    for (int y = band.top; y < band.bottom; ++y) {
      for (int x = band.left; x < band.right; ++x) {
        bool inSquare = false;
        for (int dy = -1; dy <= 0 && !inSquare; ++dy) {
          for (int dx = -1; dx <= 0 && !inSquare; ++dx) {
            inSquare = r.ContainsPoint(x + dx, y + dy) && r.ContainsPoint(x + dx + 1, y + dy) &&
                       r.ContainsPoint(x + dx, y + dy + 1) && r.ContainsPoint(x + dx + 1, y + dy + 1);
          }
        }
        if (!inSquare) return false;
      }
    }
  }
  return true;
}

int Area(const plat::Region& r) {
  int area = 0;
  for (const plat::Rect& b : r.Rects()) area += b.Width() * b.Height();
  return area;
}

TEST_F(Combat, EnemiesAppearAheadAndFlyLeftShotsAreSquaresAndTheBeamFires) {
  GameOptions options;
  options.args = {"100"};
  ASSERT_NO_FATAL_FAILURE(StartGame(options));
  ASSERT_TRUE(WaitForTitle(Ms(60000))) << Game().Stderr();
  EXPECT_EQ(Get("frmPlayer").rect.left, 101);
  ASSERT_NO_FATAL_FAILURE(PressSpaceAtTitle());
  // Invincible once the stage runs, so that a lucky shot cannot send the
  // game back to the title.
  ASSERT_TRUE(ShipMoves(X(), Ms(10000))) << "the stage does not begin";
  X().Tap(key::kHome);

  // Each enemy the moment it is first seen, against the ship at that moment.
  struct Sighting {
    Window enemy;
    Window ship;
  };
  std::map<std::uint32_t, Sighting> seen;
  std::optional<Window> eshot;
  ASSERT_TRUE(WaitUntil(
      [&] {
        std::optional<Window> ship;
        std::vector<Window> enemies;
        for (const Window& w : X().Mapped()) {
          if (w.name == "frmPlayer") ship = w;
          if (w.name == "frmEnemy") enemies.push_back(w);
          if (w.name == "frmEShot") eshot = w;
        }
        for (const Window& e : enemies) {
          if (ship && !seen.count(e.id)) seen[e.id] = {e, *ship};
        }
        return seen.size() >= 2 && eshot.has_value();
      },
      Ms(20000), Ms(2)))
      << seen.size() << " enemies seen";

  for (const auto& [id, s] : seen) {
    EXPECT_EQ(s.enemy.rect.Width(), 21);
    EXPECT_EQ(s.enemy.rect.Height(), 10);
    const int ahead = s.enemy.rect.left - s.ship.rect.left;
    EXPECT_GE(ahead, 238) << "enemy at " << s.enemy.rect.left << ", ship at " << s.ship.rect.left;
    EXPECT_LE(ahead, 240) << "enemy at " << s.enemy.rect.left << ", ship at " << s.ship.rect.left;
    EXPECT_EQ(X().Shape(id), TableOutline(12, 21, 10));
  }
  // They fly left: a pixel a frame.
  const auto& [firstId, first] = *seen.begin();
  std::this_thread::sleep_for(Ms(500));
  std::optional<Window> later;
  for (const Window& w : X().Named("frmEnemy")) {
    if (w.id == firstId) later = w;
  }
  ASSERT_TRUE(later) << "the first enemy is gone";
  EXPECT_LE(later->rect.left, first.enemy.rect.left - 5);
  // In the first zone they fly straight and black. Each move uncovers pixels
  // that the frame's yield paints, so the colour is read in several frames.
  int enemyLooks = 0;
  int black = 0;
  for (int i = 0; i < 8; ++i) {
    std::this_thread::sleep_for(Ms(37));
    for (const Window& w : X().Named("frmEnemy")) {
      if (w.rect.Width() != 21) continue;  // a blast
      const std::vector<Pixel> px = VisiblePixels(w, TableOutline(12, 21, 10));
      if (px.empty()) continue;
      ++enemyLooks;
      bool allBlack = true;
      for (const Pixel& p : px) allBlack = allBlack && p.rgb == 0;
      if (allBlack) ++black;
    }
  }
  EXPECT_GE(enemyLooks, 4);
  EXPECT_GE(black * 2, enemyLooks) << "enemies of the first zone are not black";

  // The enemy shots: one window cut to 2 x 2 squares, red, and no larger
  // than they are (a compositor repaints the whole of a window re-cut). Each look holds the program still; the squares are re-cut every
  // frame and painted at the frame's yield, so the colour is read in several
  // frames.
  int looks = 0;
  int red = 0;
  WaitUntil(
      [&] {
        ServerGrab grab(X());
        const std::optional<Window> w = X().One("frmEShot");
        if (!w) return false;
        const plat::Region shots = X().Shape(w->id);
        if (shots.IsEmpty()) return false;
        EXPECT_EQ(shots.Extents(), (plat::Rect{0, 0, w->rect.Width(), w->rect.Height()}));
        EXPECT_LE(Area(shots), 6 * 4);
        EXPECT_TRUE(MadeOfTwoByTwoSquares(shots)) << "enemy shots are not 2 x 2 squares";
        const std::vector<Pixel> px = VisiblePixels(*w, shots);
        if (!px.empty()) {
          ++looks;
          bool allRed = true;
          for (const Pixel& p : px) allRed = allRed && p.rgb == 0xff0000u;
          if (allRed) ++red;
        }
        return looks >= 12;
      },
      Ms(15000), Ms(37));
  EXPECT_GE(looks, 4) << "enemy shots are seldom seen";
  EXPECT_GE(red * 2, looks) << "enemy shots are not drawn red (" << red << " of " << looks << " looks)";

  // The beam while Space is held: a green line 63 x 1. A window is mapped
  // before the frame's yield paints it, so the colour is read in several
  // frames.
  X().Key(key::kSpace, true);
  const std::optional<Window> beam = X().WaitFor("frmShot", Ms(5000));
  ASSERT_TRUE(beam) << "no beam with Space held";
  EXPECT_EQ(beam->rect.Width(), 63);
  EXPECT_EQ(beam->rect.Height(), 1);
  looks = 0;
  int green = 0;
  for (int i = 0; i < 12; ++i) {
    std::this_thread::sleep_for(Ms(37));
    const std::optional<Window> now = X().One("frmShot");
    if (!now) continue;
    const std::vector<Pixel> px = VisiblePixels(*now, plat::Region(plat::Rect{0, 0, 63, 1}));
    if (px.empty()) continue;
    ++looks;
    bool allGreen = true;
    for (const Pixel& p : px) allGreen = allGreen && p.rgb == 0x00ff00u;
    if (allGreen) ++green;
  }
  EXPECT_GT(looks, 3) << "the beam is seldom seen with Space held";
  EXPECT_GE(green * 2, looks) << "the beam is not drawn green";
  // Held, it keeps firing.
  std::this_thread::sleep_for(Ms(1500));
  EXPECT_TRUE(X().WaitFor("frmShot", Ms(2000))) << "the beam stops with Space still held";
  X().Key(key::kSpace, false);
  EXPECT_TRUE(WaitUntil([&] { return X().Named("frmShot").empty(); }, Ms(5000)))
      << "the beam flies on without end";

  ExpectAllOverrideRedirect();
  ExpectRunning();
  EndThroughMenu();
}

}  // namespace
}  // namespace e2e
