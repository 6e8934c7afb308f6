// Counting key presses once each.
#include "game/base/key_latch.h"

#include "platform/keys.h"

namespace zb {

bool PollKeyPress(KeyPressLatch& latch) {
  const auto state = static_cast<std::uint16_t>(plat::GetAsyncKeyState(latch.vk));
  const bool held = (state & 0x8000) != 0;
  const bool pressedSince = (state & 0x0001) != 0;
  const bool pressed = pressedSince || (held && !latch.heldAtLastPoll);
  latch.heldAtLastPoll = held;
  return pressed;
}

void ForgetKeyPresses(KeyPressLatch& latch) {
  const auto state = static_cast<std::uint16_t>(plat::GetAsyncKeyState(latch.vk));
  latch.heldAtLastPoll = (state & 0x8000) != 0;
}

}  // namespace zb
