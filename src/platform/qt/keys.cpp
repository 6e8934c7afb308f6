// GetAsyncKeyState on the backend's private keyboard connection.
#include "platform/keys.h"

#include "platform/qt/backend.h"
#include "platform/qt/wayland_focus.h"

namespace plat {

// Keys typed into another program's window (an X11 one, through XWayland)
// while the game cannot hear the keyboard are not the game's.
std::int16_t GetAsyncKeyState(int vk) {
  const std::int16_t state = qt::B().keyboard.Poll(vk);
  return qt::KeyboardReachesProgram() ? state : std::int16_t{0};
}

}  // namespace plat
