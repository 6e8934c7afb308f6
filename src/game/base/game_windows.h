// Every window of the game.
#pragma once

#include <array>

#include "game/base/window_model.h"

namespace zb {

// A sprite window: a click on it never takes the keyboard focus, which goes
// straight on to the lamps window.
class SpriteWindow : public Window {
 public:
  using Window::Window;

 protected:
  void OnLoad() override;
};

// The lives lamps: two labels on a small picture, bottom left.
class LampsWindow : public Window {
 public:
  using Window::Window;
  std::array<Control, 2> lamps;

 protected:
  void OnLoad() override;
  void OnUnload() override;
};

// The ship, with the timer that ends its invincibility after a lost life.
class ShipWindow : public Window {
 public:
  using Window::Window;
  Timer invincibilityTimer;

 protected:
  void OnLoad() override;
  void OnUnload() override;
};

// The boss, with its core and its three timers.
class BossWindow : public SpriteWindow {
 public:
  using SpriteWindow::SpriteWindow;
  Control core;
  Timer slideTimer;  // the entry slide, one pixel a tick
  Timer flashTimer;  // ends the core's flash 100 ms after the latest hit
  Timer shakeTimer;  // the shake after a hit

 protected:
  void OnLoad() override;
  void OnUnload() override;
};

// The speech balloon's centre, with its close label and border lines.
class BalloonCentreWindow : public Window {
 public:
  using Window::Window;
  Control closeLabel;
  Control topLine;
  Control bottomLine;

 protected:
  void OnLoad() override;
  void OnUnload() override;
};

// The speech balloon's end caps, each with the picture it starts with.
class BalloonCapWindow : public Window {
 public:
  BalloonCapWindow(std::string name, int capPicture) : Window(std::move(name)), capPicture_(capPicture) {}

 protected:
  void OnLoad() override;

 private:
  int capPicture_;
};

// The game's windows. The X window name each is created with (WM_NAME) is
// in docs/windows.md.
extern LampsWindow lampsWindow;
extern SpriteWindow bannerWindow;  // the title, and later the staff roll
extern ShipWindow shipWindow;
extern BossWindow bossWindow;
extern SpriteWindow sceneryWindow;     // the scenery strip
extern SpriteWindow particlesWindow;   // every burst particle, over the whole screen
extern SpriteWindow enemyShotsWindow;  // every enemy shot, over the whole screen
extern BalloonCapWindow balloonLeft;
extern BalloonCentreWindow balloonCentre;
extern BalloonCapWindow balloonRight;
extern std::array<SpriteWindow, 6> enemyWindows;  // one per enemy slot
extern std::array<SpriteWindow, 3> beamWindows;   // only the first is used
extern SpriteWindow clickHintWindow;  // "click here" where the game cannot hear the keyboard

// A hidden red window over the whole screen (bursts, enemy shots).
void CoverScreenHidden(Window& window);

// Unloads every window (end of a test, end of the program).
void UnloadAllWindows();

}  // namespace zb
