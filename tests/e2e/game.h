// The fixture of the end-to-end tests: one private X server and the real
// program per test, and what the tests read back of the game's windows.
#pragma once

#include <gtest/gtest.h>

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {

// The desktop colour under the game: no sprite uses it.
inline constexpr std::uint32_t kDesktop = 0x3a6ea5;

// Outlines and pictures compiled into the program.
plat::Region TableOutline(int shape, int width, int height);
plat::Region BalloonCapOutline(int record, int width, int height);
const plat::Picture* Picture(int shape);

// The three windows of a speech balloon and their joined outline, on the
// screen.
struct Balloon {
  Window left;
  Window centre;
  Window right;
  plat::Region outline;
  int kind() const { return left.rect.Width() == 8 ? 0 : 1; }
};
// The tip of the balloon's tail (its lowest row) lies inside the rectangle.
bool TailTipIn(const Balloon& b, const plat::Rect& speaker);
// What the outline of a balloon of that kind is, its left cap's top-left
// corner at (left, top) and its centre `centreWidth` wide.
plat::Region ExpectedBalloon(int kind, int left, int top, int centreWidth);

// A pixel on the screen and its colour.
struct Pixel {
  int x;
  int y;
  std::uint32_t rgb;
};

struct GameOptions {
  int width = 1280;
  int height = 1024;
  std::optional<plat::Rect> workArea;  // a panel the work area leaves out
  std::vector<std::string> args;
};

class GameTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // Starts the server and the program; fails the test when either does not
  // come up.
  void StartGame(const GameOptions& options = {});
  XConn& X() { return *x_; }
  Program& Game() { return *game_; }
  const std::string& Display() const { return xvfb_->display(); }
  const std::string& Dir() const { return dir_->path(); }
  pid_t ServerPid() const { return xvfb_->pid(); }
  // Starts the program once more on the same display (the first one stays).
  std::unique_ptr<Program> StartAnother(const std::vector<std::string>& args) const;
  int ScreenWidth() const { return options_.width; }
  int ScreenHeight() const { return options_.height; }
  int WorkBottom() const;

  // Waits for the title (lamps and title window mapped), checks nothing.
  std::optional<Window> WaitForTitle(Ms limit);
  // Space at the title: waits until the title window goes.
  void PressSpaceAtTitle();

  std::optional<Balloon> ReadBalloon();
  std::optional<Balloon> WaitForBalloon(Ms limit);
  bool BalloonGone();

  // The mapped window of that name; a failure and an empty record when there
  // is none.
  Window Get(const std::string& name);

  // The window's pixels inside its outline where no window above it covers
  // them equal the picture's; those outside show the desktop where no other
  // window lies. True when they do, within a few seconds.
  bool ExpectShowsPicture(const Window& w, int shape);
  // Waits until every visible pixel of the window inside `within` has that
  // colour (and one at least can be seen).
  bool WaitForColour(const Window& w, const plat::Region& within, std::uint32_t rgb,
                     Ms limit = Ms(3000));
  struct PictureCheck {
    std::string problem;
    int checked = 0;
    int wrong = 0;
    int leaks = 0;
    std::string first;  // the first wrong pixels
    bool ok() const { return problem.empty() && checked > 0 && wrong == 0 && leaks == 0; }
  };
  PictureCheck ComparePicture(const Window& w, const plat::Picture& pic);
  // Pixels of the window where no window above it covers them.
  std::vector<Pixel> VisiblePixels(const Window& w, const plat::Region& within);

  // A window's moves, followed through the server's notifications: from its
  // first move to its last, until they are `span` apart or `limit` has
  // passed.
  struct Motion {
    int moves = 0;      // position changes seen
    int dx = 0;         // from the first move to the last
    int dy = 0;
    double spanMs = 0;  // from the first move to the last
    double PxPerSecond() const { return spanMs > 0 ? dx * 1000.0 / spanMs : 0; }
  };
  Motion FollowMoves(const Window& w, Ms span, Ms limit);

  // Every mapped window of the game is an override-redirect sprite.
  void ExpectAllOverrideRedirect();
  void ExpectRunning();
  // Right button on a lamp, then the menu's last item: the program ends with
  // status 0.
  void EndThroughMenu();


 public:
  // Saves the screen once, at the first failure of the test.
  void SaveScreenAtFailure();

 private:
  GameOptions options_;
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<Xvfb> xvfb_;
  std::unique_ptr<XConn> x_;
  std::unique_ptr<Program> game_;
  bool screenSaved_ = false;
  std::string testName_;
};

}  // namespace e2e

// Readable rectangles and outlines in the tests' messages.
namespace plat {
void PrintTo(const Rect& r, std::ostream* os);
void PrintTo(const Region& r, std::ostream* os);
}  // namespace plat
