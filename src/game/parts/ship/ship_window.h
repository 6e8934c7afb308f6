// The ship's window and record at the set-up.
#pragma once

#include <cstdint>

#include "game/base/window_model.h"

namespace zb {

// Lives at the start of a game, one lamp lit for each life after the first.
inline constexpr std::int32_t kStartingLives = 3;
// How long the ship stays invincible after a lost life.
inline constexpr int kInvincibilityMs = 1000;

// The ship, with the timer that ends its invincibility after a lost life.
class ShipWindow : public Window {
 public:
  using Window::Window;
  Timer invincibilityTimer;

 protected:
  void OnLoad() override;
  void OnUnload() override;
};

extern ShipWindow shipWindow;

// The ship's picture and outline, its starting lives, the window shown.
void ShowShip();
// The ship's start position, limits and speed. Each field on its own: a
// limit that cannot be taken from the screen leaves the others filled.
void FillShipRecord();

}  // namespace zb
