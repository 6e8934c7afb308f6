// The seat: the pointer's clicks on sprites, the keyboard's keys through
// xkbcommon, and the keyboard focus (input.cpp).
#pragma once

#include <cstdint>

struct wl_seat;

namespace plat::wl {

void WatchSeat(wl_seat* seat);
void ForgetSeat();

// The virtual-key code of an xkb keysym, 0 for the keys the game does not
// read. The keypad's arrows and Home (NumLock off) are the arrows and Home.
int VirtualKeyOf(std::uint32_t keysym);

// A key press of the player, as wl_keyboard reports it: kept for the polls.
void NoteKey(std::uint32_t evdevKey, std::uint32_t keysym, bool down);

}  // namespace plat::wl
