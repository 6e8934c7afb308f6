// A key read as presses, each counted once however long it is held.
#pragma once

namespace zb {

// A press is the key's "pressed since the previous poll" bit, or the key held
// at a poll when it was not held at the previous poll of it. The bit alone
// catches a key released and pressed again between two polls.
struct KeyPressLatch {
  int vk = 0;
  bool heldAtLastPoll = false;
};

// Polls the key once; true on a new press.
bool PollKeyPress(KeyPressLatch& latch);

// Polls the key once and drops what it reads: neither a press made before
// nor the key held now counts at the next poll.
void ForgetKeyPresses(KeyPressLatch& latch);

}  // namespace zb
