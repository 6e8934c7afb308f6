// The fixture of the tests of the real program: one private X server and
// the programs on it per test, and what the tests read back of the game's
// windows.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/launcher.h"
#include "support/processes.h"
#include "support/x_client.h"

namespace e2e {

using namespace xtest;  // the toolkit: X client, waits, processes

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

// An ordinary window of the test's own, on a connection of its own: another
// application on the user's desktop.
class Bystander {
 public:
  Bystander(const std::string& display, const plat::Rect& where, std::uint32_t rgb);
  ~Bystander();
  Bystander(const Bystander&) = delete;
  Bystander& operator=(const Bystander&) = delete;

  std::uint32_t id() const { return window_; }
  // Asks for the window to be mapped (again).
  void Map();
  // Puts the window on top of its siblings or below them all.
  void Restack(bool top);
  // Asks the window manager to raise and focus it, as a task bar does
  // (_NET_ACTIVE_WINDOW).
  void Activate();
  // Takes the keyboard focus itself, as a program does where no window
  // manager gives it.
  void Focus();
  // Waits for a mouse button pressed on the window: true when one came.
  bool AwaitPress(Ms limit);

 private:
  xcb_connection_t* c_ = nullptr;
  std::uint32_t window_ = 0;
};

struct GameOptions {
  int width = 1280;
  int height = 1024;
  std::optional<plat::Rect> workArea{};  // a panel the work area leaves out
  std::vector<std::string> args{};       // the program's command line
  std::vector<std::string> env{};        // "NAME=value" added to the program's environment
  bool windowManager = false;            // openbox around the program
  std::string resources{};               // the root's RESOURCE_MANAGER (Xft.dpi)
  bool compositor = false;               // picom, drawing windows by their alpha
  // The desktop's programs as command lines, started in this order after
  // openbox and picom when those are asked for (support/launcher.h): a
  // window manager, then a compositor.
  std::vector<std::string> desktop{};
};

// The one fixture of the tests of the real program: a private Xvfb (or the
// X display of a Wayland compositor), the desktop's programs on it, the
// tests' own X client, and the programs started there, stopped at the end of
// the test. The screen is saved at the first failure.
class GameTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // The server and the desktop; fails the test when they do not come up.
  void StartServer(const GameOptions& options = {});
  // A program on that server, with `env` ("NAME=value") added to the test's
  // own environment.
  Program& StartProgram(const std::vector<std::string>& env = {},
                        const std::vector<std::string>& args = {});
  // A program on the desktop's Wayland compositor as a native client of it:
  // DISPLAY unset, the compositor's socket and runtime directory set.
  Program& StartNativeProgram(const std::vector<std::string>& args);
  // The server, then the program with the options' arguments and environment.
  void StartGame(const GameOptions& options = {});

  XClient& X() { return *x_; }
  Program& Game() { return *programs_.front(); }
  const std::string& Display() const { return display_; }
  const std::string& Dir() const { return dir_->path(); }
  pid_t ServerPid() const { return xvfb_ ? xvfb_->pid() : -1; }
  // Whether the screen is read from a Wayland compositor's screenshots,
  // which come some time after the X server's windows were read.
  bool ScreenFromScreenshots() const { return screenFromScreenshots_; }
  // The desktop's programs, in the order they started.
  const std::vector<std::unique_ptr<Launcher>>& DesktopPrograms() const { return desktop_; }
  int ScreenWidth() const { return options_.width; }
  int ScreenHeight() const { return options_.height; }
  int WorkBottom() const;

  // Waits for the title (lamps and title window mapped), checks nothing;
  // nullopt when it did not come in time or the program ended.
  std::optional<Window> WaitForTitle(Ms limit);
  // The same for `game`, its title `scale` x 300 x 48 device pixels, within
  // a minute.
  std::optional<Window> WaitForTitle(Program& game, int scale = 1);
  // Space at the title: waits until the title window goes.
  void PressSpaceAtTitle();
  // Space at the title, the launch balloon, the stage running; then Home
  // makes the ship invincible.
  void StartPlaying();
  // The child of the root that holds `window` (its frame when managed).
  std::uint32_t TopLevel(std::uint32_t window);

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

  // Whether a pixel seen on the screen is the colour wanted; after
  // AllowShadows, also that colour darkened by a compositor's shadow, which
  // some compositors draw under every window whatever its properties.
  bool Looks(std::uint32_t seen, std::uint32_t want) const;
  void AllowShadows() { shadowsAllowed_ = true; }

  // The boss fight, from the ship standing still at the boss's arrival,
  // invincible: the ship goes down to the core's height, one tap a frame,
  // its rows read back (the scenery strip's top at `stripTop`).
  void SteerToTheCore(int stripTop);
  // Then fires a volley at a time until the wreck stands, reading the core
  // (inside `boss`, standing at its place) after each: white at a hit, then
  // the boss's strength, pale yellow and red as it falls. `atFlash` gets
  // the whole screen (0xRRGGBB, row by row, its width and height) once, the
  // first time a look at it shows the core white.
  using FlashShot = std::function<void(const std::vector<std::uint32_t>&, int, int)>;
  struct CoreFight {
    int flashes = 0;                       // volleys that showed the core white
    std::vector<std::uint32_t> strengths;  // the core's colour after each volley
    std::optional<Window> wreck;
    std::string mixed;  // the colours of the latest reading that showed several
  };
  CoreFight FightTheBoss(const Window& boss, const FlashShot& atFlash = {});
  // The wreck stands, the core flashed white `flashes` times at least and
  // went pale yellow, then red.
  void ExpectCoreColours(const CoreFight& fight, int flashes = 3);

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
  void StartDesktopProgram(std::unique_ptr<Launcher> launcher, const std::string& command);
  std::optional<Window> WaitForTitleOf(Program& game, Ms limit, int scale);

  GameOptions options_;
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<Xvfb> xvfb_;
  std::string display_;
  std::unique_ptr<XClient> x_;
  std::vector<std::unique_ptr<Launcher>> desktop_;
  std::vector<std::unique_ptr<Program>> programs_;
  bool screenSaved_ = false;
  bool screenFromScreenshots_ = false;
  bool shadowsAllowed_ = false;
  std::string testName_;
};

}  // namespace e2e

// Readable rectangles and outlines in the tests' messages.
namespace plat {
void PrintTo(const Rect& r, std::ostream* os);
void PrintTo(const Region& r, std::ostream* os);
}  // namespace plat
