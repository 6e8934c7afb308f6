// The simulated backend's state: one struct, internal to zb_platform_sim.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim.h"

namespace sim::detail {

struct Win {
  // What the window keeps; the fields computed from the rest (screenRect,
  // shown, painted, outline, focused, stackIndex, timers, handler flags) are
  // filled in when a record is read.
  WindowRecord rec;
  std::optional<plat::Region> outline;  // as set, unclipped
  std::vector<plat::WindowId> stack;    // its controls, bottom to top
  plat::MouseDownHandler onMouseDown;
  std::function<void()> onGotFocus;
  bool mouseRunning = false;
  bool focusRunning = false;
  bool dirty = true;
};

struct Tim {
  plat::TimerId id = plat::kNoTimer;
  plat::WindowId owner = plat::kNoWindow;
  std::function<void()> onTick;
  int interval = 0;
  bool enabled = true;
  bool running = false;
  std::uint64_t due = 0;  // elapsed ms of the next tick, when active
  std::uint64_t ticks = 0;
  bool Active() const { return enabled && interval > 0; }
};

// A pending event: something that happens at an elapsed time.
struct KeyEvent {
  std::uint64_t at = 0;
  std::uint64_t seq = 0;
  int vk = 0;
  bool down = false;
};
struct ClickEvent {
  std::uint64_t at = 0;
  std::uint64_t seq = 0;
  plat::WindowId w = plat::kNoWindow;  // kNoWindow: screen coordinates
  int button = 0, x = 0, y = 0;
};
// A click that has happened and waits for a yield.
struct PendingClick {
  std::uint64_t at = 0;
  std::uint64_t seq = 0;
  size_t record = 0;  // index into clicks
};
struct PendingFocus {
  std::uint64_t at = 0;
  std::uint64_t seq = 0;
  plat::WindowId w = plat::kNoWindow;
};

struct KeyState {
  bool held = false;
  bool pressedSince = false;
};

struct State {
  Config config;
  plat::ScreenInfo screen{1280, 1024, {0, 0, 1280, 1024}};
  std::uint64_t elapsed = 0;
  std::uint64_t timeLimit = 0;
  std::uint64_t seq = 0;

  std::map<plat::WindowId, Win> windows;  // live windows and controls
  std::vector<plat::WindowId> topStack;   // sprite windows, bottom to top
  std::map<plat::TimerId, Tim> timers;

  plat::WindowId focus = plat::kNoWindow;
  plat::WindowId focusWhenShown = plat::kNoWindow;
  std::vector<PendingFocus> focusEvents;

  KeyState keys[256];
  std::function<void()> onKeyboardHeard;
  bool heardReported = true;  // KeyboardHeard as the handler last learnt it
  std::vector<KeyEvent> keyEvents;  // scheduled, sorted by (at, seq)
  std::vector<ClickEvent> clickEvents;  // scheduled, sorted by (at, seq)
  std::vector<PendingClick> pendingClicks;
  std::vector<ClickRecord> clicks;
  int pointerX = 0, pointerY = 0;

  std::function<void()> yieldHook;
  bool inYieldHook = false;
  std::function<int(std::span<const plat::MenuItem>)> menuAnswer;
  std::function<void(const plat::DialogLayout&)> dialogAnswer;
  std::function<void(const std::string&)> boxAnswer;
  std::vector<MenuRecord> menus;
  std::vector<DialogRecord> dialogs;
  std::vector<MessageBoxRecord> boxes;
  int modalDepth = 0;

  int handlerDepth = 0;
  // WatchScreen: the screen is watched; SetScreen changed it meanwhile.
  bool screenWatched = false;
  bool screenChanged = false;
  // An exception of a script callback on its way out of the game (see sim.h).
  std::exception_ptr escaping;

  Counters stats;
  std::uint64_t idleYields = 0;  // yields in a row that found nothing to do
};

State& S();

// Clock helpers.
std::uint32_t ClockAt(std::uint64_t elapsed);
// The elapsed time of a clock reading (modulo 2^32 around now).
std::uint64_t ElapsedOf(std::uint32_t clockMs);
// Moves the clock to `elapsed` (never back), applying key and click events
// that it passes; checks the time limit.
void AdvanceTo(std::uint64_t elapsed);
// Applies key and click events due by now.
void ApplyDueInput();

// Whether keys reach the game now (Config::keysNeedFocus).
bool Heard();

// Windows.
Win* Find(plat::WindowId w);
Tim* FindTimer(plat::TimerId t);
// Gives the focus to `w` now; its got-focus handler runs at the next yield.
void MoveFocus(plat::WindowId w);
int TextWidth(const plat::TextFont& font, std::string_view utf8);
bool ReallyShown(const Win& w);
plat::Rect ScreenRectOf(const Win& w);
void DestroyAll();
// The window (and its pixel) under screen pixel (sx, sy).
plat::WindowId HitTest(int sx, int sy, int& x, int& y);
void RecordClick(std::uint64_t at, plat::WindowId w, int button, int x, int y, bool screen);

// Runs a game handler under the handler guard; script exceptions travel on.
void CallHandler(const std::function<void()>& handler);
// Runs a script callback; an exception it throws inside a handler is marked
// as escaping so that the handlers around it let it through.
template <class F>
auto CallScript(F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (...) {
    if (S().handlerDepth > 0) S().escaping = std::current_exception();
    throw;
  }
}
// Throws `e` out of the game like a script callback's exception.
template <class E>
[[noreturn]] void ThrowOut(const E& e) {
  if (S().handlerDepth > 0) S().escaping = std::make_exception_ptr(e);
  throw e;
}
// Delivers every timer due at `now` once (not the running ones); with
// `withInput` also focus changes and clicks. Stops at a pending exit.
// Returns whether anything was delivered.
bool DeliverDue(bool withInput);
// The elapsed time of the next timer tick or scripted input (UINT64_MAX:
// none); timers whose handler is running do not count.
std::uint64_t NextScheduled();
// Every window is on screen as it is now (the end of a yield).
void MarkPainted();

}  // namespace sim::detail
