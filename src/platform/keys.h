// The keyboard, polled: the state of a key whatever window has the focus.
#pragma once

#include <cstdint>
#include <functional>

namespace plat {

// Virtual-key codes of the keys the game reads.
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;

// Bit 15 (0x8000): the key is held now. Bit 0 (0x0001): the key has been
// pressed since the previous poll of this key; the poll clears it. A tap
// shorter than the time between two polls reads as 0x0001 once. Exact at any
// moment, independent of when events were last delivered; never delivers a
// window event. Unknown codes read 0.
std::int16_t GetAsyncKeyState(int vk);

// Whether keys pressed now reach the game. On X11 they always do: the keys
// are read whatever window has the focus. On a Wayland desktop a program
// hears the keyboard only while one of its windows has the focus, which a
// left click on any sprite gives it and a click into another window takes
// back: false while none has it (keys typed into another X11 program,
// which shares the game's X server there, may still reach it).
bool KeyboardHeard();
// Runs `handler` (inside DoEvents, as the window handlers run) each time
// KeyboardHeard changes; an empty function removes it.
void SetKeyboardHeardHandler(std::function<void()> handler);

}  // namespace plat
