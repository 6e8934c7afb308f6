// GetAsyncKeyState on the backend's private keyboard connection.
#include "platform/keys.h"

#include "platform/qt/backend.h"

namespace plat {

std::int16_t GetAsyncKeyState(int vk) { return qt::B().keyboard.Poll(vk); }

}  // namespace plat
