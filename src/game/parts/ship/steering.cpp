// Steering the ship with the arrow keys, once per frame.
#include "game/parts/ship/steering.h"

#include "game/base/game_windows.h"
#include "game/base/state.h"
#include "game/parts/ship/ship_window.h"
#include "platform/keys.h"

namespace zb {
namespace {

bool Pressed(int vk) { return plat::GetAsyncKeyState(vk) != 0; }

// Both keys polled afresh, in this order; their raw states share a bit.
bool BothPressed(int first, int second) {
  const auto a = plat::GetAsyncKeyState(first);
  const auto b = plat::GetAsyncKeyState(second);
  return (a & b) != 0;
}

void LimitRight() {
  if (Ship.x >= static_cast<double>(Ship.maxX)) Ship.x = Ship.maxX;
}
void LimitLeft() {
  if (Ship.x <= 0) Ship.x = 0;
}
void LimitTop() {
  if (Ship.y <= static_cast<double>(Ship.minY)) Ship.y = Ship.minY;
}
void LimitBottom() {
  if (Ship.y >= static_cast<double>(Ship.maxY)) Ship.y = Ship.maxY;
}

void StepRight(float s) { Ship.x = Ship.x + s; LimitRight(); }
void StepLeft(float s) { Ship.x = Ship.x - 1.5f * s; LimitLeft(); }
void StepUp(float s) { Ship.y = Ship.y - 2 * s; LimitTop(); }
void StepDown(float s) { Ship.y = Ship.y + 2 * s; LimitBottom(); }

// The keypad direction d: 8 up, 2 down, 4 left, 6 right, 9 7 3 1 diagonals.
void Steer(int d, float s) {
  if (d == 9 || d == 6 || d == 3) StepRight(s);
  if (d == 7 || d == 4 || d == 1) StepLeft(s);
  if (d == 8 || d == 9 || d == 7) StepUp(s);
  if (d == 2 || d == 3 || d == 1) StepDown(s);
}

}  // namespace

int ReadDirectionKeys() {
  int d = 0;
  if (Pressed(plat::VK_UP)) d = 8;
  if (Pressed(plat::VK_RIGHT)) d = 6;
  if (Pressed(plat::VK_DOWN)) d = 2;
  if (Pressed(plat::VK_LEFT)) d = 4;
  if (BothPressed(plat::VK_UP, plat::VK_RIGHT)) d = 9;
  if (BothPressed(plat::VK_UP, plat::VK_LEFT)) d = 7;
  if (BothPressed(plat::VK_DOWN, plat::VK_RIGHT)) d = 3;
  if (BothPressed(plat::VK_DOWN, plat::VK_LEFT)) d = 1;
  // Clear the pressed-since-last-poll bits of all four.
  for (int vk : {plat::VK_UP, plat::VK_RIGHT, plat::VK_DOWN, plat::VK_LEFT}) {
    plat::GetAsyncKeyState(vk);
  }
  return d;
}

void SteerShip() {
  if (Ship.hit != 0) return;
  const float s = Ship.step;
  Steer(ReadDirectionKeys(), s);
  if (!Boss.active) Ship.x = Ship.x + s;
  LimitRight();
  shipWindow.Move(Ship.x, Ship.y);
}

}  // namespace zb
