// What the tests of the Wayland backend read of it: what it sent the
// compositor for each window, the open modal window, and hooks into its
// modal loops. Not for the game.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/region.h"
#include "platform/types.h"
#include "platform/window.h"

#include "platform/wayland/modal_note.h"

namespace plat::wl::testing {

using ModalKind = plat::wl::ModalKind;

struct ModalView {
  ModalKind kind = ModalKind::kNone;
  std::string text;     // the message box's
  bool onScreen = false;  // committed with its content
  bool focused = false;   // it has the keyboard
  // The menu's items on the screen (game pixels); the box's button in its
  // own pixels.
  std::vector<Rect> targets;
};
ModalView CurrentModal();
// Runs `watcher` at every pass of a modal loop.
using plat::wl::SetModalWatcher;

// A window or control's rectangle on the screen, as the compositor was told.
Rect ScreenRect(WindowId w);
// The pixels of it that show and take clicks, relative to its top-left:
// for a sprite, the part of the stage's input region it was given.
Region Outline(WindowId w);
// Shown: it and its sprite visible, the sprite's surface committed with a
// buffer on the configured stage.
bool Mapped(WindowId w);
// The given sprite windows that are mapped, in the order their surfaces
// stack on the stage, bottom to top.
std::vector<WindowId> Stacking(const std::vector<WindowId>& windows);
// Whether the stage has the keyboard, and the sprite window with the
// game's focus while it has (kNoWindow otherwise).
bool HasKeyboard();
WindowId KeyboardFocus();
// Key presses and releases heard so far, after reading what has come.
std::uint64_t KeyEventsHeard();
// Destroys every window, forgets keys, modal watchers and a pending exit.
void Reset();

// Frame callbacks seen so far, and when the last came (steady clock, µs).
std::uint64_t FramesPresented();
std::int64_t LastPresentedUs();

}  // namespace plat::wl::testing
