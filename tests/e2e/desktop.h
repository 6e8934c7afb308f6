// The program among other windows: openbox when a case wants a window
// manager, the program started as a user would, and windows and X clients of
// the test's own around it. Built on the fixture of the end-to-end tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e/game.h"

namespace e2e {

// The program among other windows on the one fixture of the tests of the
// real program: what the desktop cases read and do besides.
class DesktopTest : public GameTest {
 protected:
  // A point on the screen where `w` shows, no window above it covering it:
  // near its outline's middle.
  std::optional<std::pair<int, int>> VisiblePoint(const Window& w);
  // A point inside `within` where no window of the program lies (its
  // outlines, not its rectangles, count).
  std::optional<std::pair<int, int>> PointOffTheSprites(const plat::Rect& within);
  // Whether the ship stands still for all of `span` (no frame runs).
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
};

// The ship's outline (shape 10) as the program has it built in, each pixel
// `scale` x `scale` device pixels.
plat::Region ShipOutline(int scale);
// The program's 32 x 32 icon.
const plat::Picture& Icon();

// WM_CLASS as the program sets it.
inline const std::string kWmClass("zembrant\0Zembrant\0", 18);

}  // namespace e2e
