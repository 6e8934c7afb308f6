// A key read as presses, each counted once however long it is held.
#pragma once

namespace zb {

// A press is the key seen down (held now, or tapped since the previous poll)
// at a poll when it was not held at the previous poll of it.
struct KeyPressLatch {
  int vk = 0;
  bool heldAtLastPoll = false;
};

// Polls the key once; true on a new press.
bool PollKeyPress(KeyPressLatch& latch);

}  // namespace zb
