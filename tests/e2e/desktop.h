// The program among other windows: a private Xvfb, openbox when a case wants
// a window manager, the program started as a user would, and windows and X
// clients of the test's own around it. Built on the end-to-end harness.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "x11/x_client.h"

namespace e2e {

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
  // Waits for a mouse button pressed on the window: true when one came.
  bool AwaitPress(Ms limit);

 private:
  xcb_connection_t* c_ = nullptr;
  std::uint32_t window_ = 0;
};

struct DesktopOptions {
  int width = 1280;
  int height = 1024;
  bool windowManager = false;          // openbox
  std::optional<plat::Rect> workArea;  // a panel the work area leaves out
  std::string resources;               // the root's RESOURCE_MANAGER (Xft.dpi)
  bool compositor = false;             // picom, drawing windows by their alpha
};

class DesktopTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // The server (and openbox); fails the test when they do not come up.
  void StartDesktop(const DesktopOptions& options);
  // The program on that server, with `env` ("NAME=value") added to the test's
  // own environment.
  Program& StartProgram(const std::vector<std::string>& env = {},
                        const std::vector<std::string>& args = {});

  XConn& X() { return *x_; }
  xtest::XClient& Client() { return *client_; }
  const std::string& Display() const { return xvfb_->display(); }
  int WorkBottom() const;

  // The lamps and the title on the screen (title `scale` x 300 x 48 device
  // pixels); the title window, nullopt when they did not come in time or the
  // program ended.
  std::optional<Window> WaitForTitle(Program& game, int scale = 1);
  // Space at the title, then the launch balloon; Home makes the ship
  // invincible.
  void StartPlaying();

  Window Get(const std::string& name);
  // A point on the screen where `w` shows, no window above it covering it:
  // near its outline's middle.
  std::optional<std::pair<int, int>> VisiblePoint(const Window& w);
  // A point inside `within` where no window of the program lies (its
  // outlines, not its rectangles, count).
  std::optional<std::pair<int, int>> PointOffTheSprites(const plat::Rect& within);
  // The child of the root that holds `window` (its frame when managed).
  std::uint32_t TopLevel(std::uint32_t window);
  // Whether the ship moves within `limit`, and whether it stands still for
  // all of `span` (no frame runs).
  bool ShipMoves(Ms limit);
  bool ShipStandsStill(Ms span);

  // Right button on a visible point of `w`: the popup menu window (a new
  // override-redirect window), nullopt when none opened.
  std::optional<Window> OpenMenuOn(const std::string& name);
  bool MenuGone(const Window& menu);
  // A top-level window of the program named `name` (a managed one may sit
  // inside a frame of the window manager), 0 for none.
  std::uint32_t FindClient(const std::string& name);

  // Every mapped window of the program.
  std::vector<Window> Sprites();

 private:
  DesktopOptions options_;
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<Xvfb> xvfb_;
  std::unique_ptr<XConn> x_;
  std::unique_ptr<xtest::XClient> client_;
  std::optional<Child> wm_;
  std::optional<Child> compositor_;
  std::vector<std::unique_ptr<Program>> programs_;
};

// The ship's outline (shape 10) as the program has it built in, each pixel
// `scale` x `scale` device pixels.
plat::Region ShipOutline(int scale);
// The program's 32 x 32 icon.
const plat::Picture& Icon();

// WM_CLASS as the program sets it.
inline const std::string kWmClass("zembrant\0Zembrant\0", 18);

}  // namespace e2e
