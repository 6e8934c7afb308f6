// The conformance suite's view of a backend: what a case needs of the window
// system beyond the platform interface itself. The cases are written once
// against the platform headers and this driver; each backend has one driver
// (driver_sim.cpp, driver_x11.cpp) and its own test executable.
//
// Everything here is said in window-system terms (the screen, mapped windows,
// the stacking order, the focus, a user's key presses and clicks), so that a
// real X server can answer it as well as the simulated backend.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/region.h"
#include "platform/types.h"
#include "platform/window.h"

namespace conformance {

struct StartOptions {
  // The first reading of plat::TimeGetTime(), for a backend that can choose
  // its clock (see Driver::ChoosesClock); others ignore it.
  std::optional<std::uint32_t> clockStartMs;
};

class Driver {
 public:
  virtual ~Driver() = default;

  // Before every case: an open platform with no window of the game, no key
  // held, no pending exit of the handler guard, and a screen of at least
  // 800 x 600 pixels.
  virtual void Start(const StartOptions& options) = 0;
  // After every case: destroys what the case left (windows, armed answers).
  virtual void Stop() = 0;
  // Whether Start honoured StartOptions::clockStartMs.
  virtual bool ChoosesClock() const = 0;

  // The user presses or releases a key. Returns once the next
  // plat::GetAsyncKeyState would see the change (without polling it, which
  // would clear the "pressed since" bit).
  virtual void PressKey(int vk) = 0;
  virtual void ReleaseKey(int vk) = 0;

  // The user presses and releases mouse `button` (plat::MouseButton) over
  // pixel (x, y) of window `w`, relative to its top-left: the screen pixel
  // that is, whatever window shows there. The platform delivers it at a
  // later yield.
  virtual void Click(plat::WindowId w, int button, int x, int y) = 0;

  // The window system's view of a window, in pixels. Call after a yield:
  // a yield returns once the windows are on screen as last set.
  // Its outer rectangle on the screen.
  virtual plat::Rect ScreenRect(plat::WindowId w) = 0;
  // The pixels of the window that show (its outline clipped to the window,
  // the whole rectangle when it was never cut), relative to its top-left.
  virtual plat::Region Outline(plat::WindowId w) = 0;
  // Whether the window is really on screen (it and every parent shown).
  virtual bool IsMapped(plat::WindowId w) = 0;
  // The given top-level windows that are mapped, bottom to top.
  virtual std::vector<plat::WindowId> Stacking(std::span<const plat::WindowId> windows) = 0;
  // The window of the game with the keyboard focus, kNoWindow for none.
  virtual plat::WindowId Focus() = 0;
  // The bounding box of the pixels of window `w` (relative to its
  // top-left) that differ from its back colour; an empty Rect when none.
  // For a plain window without picture on which text was printed.
  virtual plat::Rect Ink(plat::WindowId w) = 0;
  // The colour the screen shows at pixel (x, y) of window or control `w`,
  // relative to its top-left; kMixed when the device pixels that make up
  // that pixel differ.
  static constexpr plat::Color kMixed = 0xff000000;
  virtual plat::Color ShownColor(plat::WindowId w, int x, int y) = 0;

  // Modal windows. Arms the answer to the next one to open: it stays open
  // `afterMs` milliseconds (timers keep ticking meanwhile), then the user
  // chooses item `index` of the menu (-1: closes it without a choice) or
  // presses OK in the message box.
  virtual void AnswerNextMenu(int index, int afterMs) = 0;
  virtual void AnswerNextMessageBox(int afterMs) = 0;
  // The texts of the message boxes answered so far in this case, in order.
  virtual std::vector<std::string> AnsweredMessageBoxes() = 0;
};

// The driver of the backend under test (defined by each driver_*.cpp).
Driver& TheDriver();

}  // namespace conformance
