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

class QRect;

namespace plat::wl {
struct ModalSurface;
}

namespace plat::wl::testing {

enum class ModalKind { kNone, kMenu, kBox };

// Called by the modal windows when they open and close (kNone).
// A menu's items are placed relative to its parent sprite's surface.
void NoteModal(ModalKind kind, const std::string& text, const ModalSurface* surface,
               const std::vector<QRect>& targets, WindowId parent = kNoWindow);
// Called at every pass of a modal loop: the test's watcher, if any.
void RunModalWatcher();

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
void SetModalWatcher(std::function<void()> watcher);

// A window or control's rectangle on the screen, as the compositor was told.
Rect ScreenRect(WindowId w);
// The pixels of it that show and take clicks, relative to its top-left.
Region Outline(WindowId w);
// Shown: it and its sprite visible, the sprite's surface configured and
// committed with a buffer.
bool Mapped(WindowId w);
// The given sprite windows that are mapped, in the order their surfaces
// were made: the order the layer stacks them in, bottom to top.
std::vector<WindowId> Stacking(const std::vector<WindowId>& windows);
// The sprite window with the keyboard focus, kNoWindow for none.
WindowId KeyboardFocus();
// Key presses and releases heard so far, after reading what has come.
std::uint64_t KeyEventsHeard();
// Destroys every window, forgets keys, modal watchers and a pending exit.
void Reset();

// Frame callbacks seen so far, and when the last came (steady clock, µs).
std::uint64_t FramesPresented();
std::int64_t LastPresentedUs();

}  // namespace plat::wl::testing
