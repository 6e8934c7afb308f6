// The sprite windows: windows with a picture or a colour and an outline,
// and those of them that are plain sprites. The windows with controls and
// timers of their own are declared by their parts (the lamps, the ship, the
// boss, the balloon).
#pragma once

#include <array>

#include "game/base/window_model.h"

namespace zb {

// A sprite window: a click on it never takes the keyboard focus, which goes
// straight on to the window named by SetSpriteFocusTarget.
class SpriteWindow : public Window {
 public:
  using Window::Window;

 protected:
  void OnLoad() override;
};

// The window a click on a sprite hands the keyboard focus to (the lamps'
// window names itself when it is constructed).
void SetSpriteFocusTarget(Window& window);

// The plain sprites. The X window name each is created with (WM_NAME) is in
// docs/windows.md.
extern SpriteWindow bannerWindow;      // the title, and later the staff roll
extern SpriteWindow sceneryWindow;     // the scenery strip
extern SpriteWindow particlesWindow;   // every burst particle, over the whole screen
extern SpriteWindow enemyShotsWindow;  // every enemy shot, over the whole screen
extern std::array<SpriteWindow, 6> enemyWindows;  // one per enemy slot
extern std::array<SpriteWindow, 3> beamWindows;   // only the first is used

// A hidden red window over the whole screen (bursts, enemy shots).
void CoverScreenHidden(Window& window);

}  // namespace zb
