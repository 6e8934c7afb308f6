// Key polls: the keyboard's events read from the connection at every poll,
// without dispatching anything else.
#include "platform/keys.h"

#include "platform/wayland/state.h"

namespace plat::wl {

std::int16_t GetAsyncKeyState(int vk) {
  wl::Backend& b = wl::B();
  wl::ReadKeyboardEvents();
  const auto it = b.keys.find(vk);
  if (it == b.keys.end()) return 0;
  wl::KeyState& k = it->second;
  const int value = (k.held ? 0x8000 : 0) | (k.pressedSince ? 0x0001 : 0);
  k.pressedSince = false;
  return static_cast<std::int16_t>(value);
}

bool KeyboardHeard() {
  wl::ReadKeyboardEvents();
  return wl::B().keyboardSurface != nullptr;
}

void SetKeyboardHeardHandler(std::function<void()> handler) {
  wl::Backend& b = wl::B();
  b.onKeyboardHeard = std::move(handler);
  b.heard = b.keyboardSurface != nullptr;
}

}  // namespace plat::wl
