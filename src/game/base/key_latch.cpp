// Counting key presses once each.
#include "game/base/key_latch.h"

#include "platform/keys.h"

namespace zb {

bool PollKeyPress(KeyPressLatch& latch) {
  const auto state = static_cast<std::uint16_t>(plat::GetAsyncKeyState(latch.vk));
  const bool pressed = state != 0 && !latch.heldAtLastPoll;
  latch.heldAtLastPoll = (state & 0x8000) != 0;
  return pressed;
}

}  // namespace zb
