// sim: the test API of the simulated platform backend (zb_platform_sim).
//
// The simulated backend implements every function of the platform headers
// headless, in virtual time: windows keep their geometry, outline, picture,
// colour, texts, visibility and stacking; timers tick at yields when due on a
// virtual clock; Sleep advances the clock and delivers nothing; keys and mouse
// clicks are scripted at virtual times; menus, dialogs and message boxes are
// answered by the test and recorded. Nothing here waits for real time.
//
// Virtual time. The clock is a millisecond counter (plat::TimeGetTime()
// reads it, wrapping at 2^32). Only plat::Sleep, plat::WaitForEvents and
// sim::RunModalFor move it; DoEvents never does. Times given to the Schedule*
// functions are readings of that clock (uint32, compared modulo 2^32 with the
// current reading, so a time up to 2^31 - 1 ms ahead counts as the future and
// anything else as already past).
//
// Delivery. plat::DoEvents (a "yield") first runs the yield hook, then
// delivers, in the order they fell due: focus changes, mouse clicks whose time
// has come and timer ticks that are due at the moment the yield began. Each
// timer ticks at most once per yield; missed ticks coalesce into one. Focus
// changes and clicks made by the handlers of a yield wait for the next one.
// After a tick the timer's next tick is due one interval after the tick just
// delivered, or one interval after now when that has passed already. A
// handler that is running is never re-entered: a nested DoEvents skips its
// events and leaves them pending, but delivers everything else that is due.
//
// Script callbacks (the yield hook, the menu/dialog/message-box answerers)
// run inside the game's call stack. An exception thrown from one of them is
// not treated as a game error: it travels out of every handler it is nested
// in and leaves the outermost plat:: call (DoEvents, PopupMenu, ...) as
// thrown. That is how a test stops the endless game cycle: throw from the
// yield hook (or use SetTimeLimit) and catch it around the game's entry.
//
// Text width model (plat::TextWidthPx and the records of PrintText): per
// character (UTF-8 code point), a half-width character is
// floor(pointSize * 8 / 11 + 0.5) pixels wide (6 px at 8.25 pt, 7 px at 9 pt)
// and a full-width character twice that; bold adds 1 px per character.
// Full-width: code points from U+1100 up, except the half-width forms
// U+FF61..U+FFDC. A byte that is not valid UTF-8 counts as one half-width
// character. Lines are floor(pointSize * 16 / 11 + 0.5) pixels high.
//
// Geometry: twips become pixels by floor(twips / 15 + 0.5), position and size
// each (negative sizes become 0); reads give pixels x 15.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/region.h"
#include "platform/screen.h"
#include "platform/types.h"
#include "platform/window.h"

namespace sim {

struct Config {
  int screenWidth = 1280;   // pixels
  int screenHeight = 1024;  // pixels
  // The work area in pixels; the whole screen when not given.
  std::optional<plat::Rect> workArea;
  // The first reading of plat::TimeGetTime().
  std::uint32_t clockStartMs = 0;
  // What plat::ClockSeed() returns.
  std::uint64_t seed = 1;
  // false: SetWindowShape fails, like an X server without SHAPE.
  bool shapeSupported = true;
  // Virtual ms that a DoEvents finding nothing to deliver lets pass (a busy
  // wait that only yields then still moves time on). 0: DoEvents never moves
  // the clock, and a busy wait should use plat::WaitForEvents.
  int idleYieldMs = 0;
  // A Wayland desktop: the game hears the keyboard only while one of its
  // windows has the focus. A left click on a window gives it the focus, a
  // click off the game's windows gives it to another program, and the game
  // cannot take the focus itself while another program has it.
  bool keysNeedFocus = false;
};

// Destroys every window and timer (without running any handler), clears the
// scripts, hooks, answerers and records, the key state and the counters,
// forgets a pending ProgramExit of the handler guard, and starts afresh with
// `config`. Window and timer ids are not reused even across resets.
void Reset(const Config& config = {});

// ---------------------------------------------------------------- the clock

// The current reading of the virtual clock (what plat::TimeGetTime returns).
std::uint32_t Now();
// Virtual milliseconds elapsed since Reset (does not wrap).
std::uint64_t Elapsed();

// Runs `hook` at the start of every plat::DoEvents (before anything is
// delivered), also of nested ones; not re-entered when the hook itself
// yields. An empty function removes it.
void SetYieldHook(std::function<void()> hook);

// Thrown by plat::Sleep, plat::WaitForEvents and plat::DoEvents once the
// virtual clock has run `ms` past Reset; it leaves the game like an exception
// of a script callback (see above). 0 = no limit (the default).
struct TimeLimitExceeded {
  std::uint64_t elapsedMs = 0;
};
void SetTimeLimit(std::uint64_t ms);

// Thrown by plat::DoEvents, like TimeLimitExceeded, after kStallYields
// yields in a row that delivered nothing while the clock stood still: a busy
// wait that can never end in virtual time.
inline constexpr std::uint64_t kStallYields = 100000;
struct Stalled {
  std::uint32_t atMs = 0;
};

struct Counters {
  std::uint64_t yields = 0;      // plat::DoEvents calls
  std::uint64_t sleeps = 0;      // plat::Sleep calls
  std::uint64_t sleptMs = 0;     // their total
  std::uint64_t waits = 0;       // plat::WaitForEvents calls
  std::uint64_t ticks = 0;       // timer handlers run
  std::uint64_t clicks = 0;      // mouse-down handlers run
  std::uint64_t keyPolls = 0;    // plat::GetAsyncKeyState calls
};
Counters Stats();

// ---------------------------------------------------------------- the screen

// Changes the screen from now on (plat::GetScreen reads it afresh).
void SetScreen(int width, int height, std::optional<plat::Rect> workArea = std::nullopt);
void SetShapeSupported(bool supported);

// ---------------------------------------------------------------- the keyboard

// Press or release a key now.
void PressKey(int vk);
void ReleaseKey(int vk);
// Press `vk` when the clock reaches downAtMs and release it at upAtMs (both
// clock readings; upAtMs after downAtMs). Applied whenever the clock passes
// them, so a tap between two polls reads as 0x0001 at the next poll. Both
// times wake plat::WaitForEvents.
void ScheduleKey(int vk, std::uint32_t downAtMs, std::uint32_t upAtMs);
// Whether the key is held now (without touching the "pressed since" bit).
bool IsKeyHeld(int vk);

// ---------------------------------------------------------------- the mouse

// A button press at pixel (x, y) of window `w` (relative to its top-left, as
// its mouse-down handler receives it). Like a real click it lands on whatever
// shows at that screen pixel: the topmost shown window whose rectangle and
// outline contain it, and within it the topmost shown control (not lines)
// containing it; that window's mouse-down handler runs at the next DoEvents
// with the pixel in its own coordinates. A click on no window of the game, or
// on one without a mouse-down handler, does nothing. The pointer moves there.
void Click(plat::WindowId w, int button, int x, int y);
// The same at screen pixel (x, y).
void ClickScreen(int button, int x, int y);
// The same when the clock reaches atMs (the target is found at that moment;
// the handler runs at the first DoEvents after). Wakes plat::WaitForEvents.
void ScheduleClick(plat::WindowId w, int button, int x, int y, std::uint32_t atMs);

struct ClickRecord {
  std::uint32_t atMs = 0;         // when the button went down
  int button = 0;
  int screenX = 0, screenY = 0;   // where
  plat::WindowId target = plat::kNoWindow;  // window hit (kNoWindow: none of ours)
  int x = 0, y = 0;               // in the target's pixels
  bool delivered = false;         // its handler has run
};
// Every click so far, in order.
std::vector<ClickRecord> Clicks();

// ---------------------------------------------------------------- focus

// The window with the keyboard focus (kNoWindow: none of the game's).
plat::WindowId FocusedWindow();
// The user (or the window manager) gives the focus to `w`, or to another
// program with kNoWindow. Its got-focus handler runs at the next DoEvents.
void UserFocus(plat::WindowId w);

// ---------------------------------------------------------------- modal windows

struct MenuRecord {
  std::uint32_t atMs = 0;
  std::vector<plat::MenuItem> items;
  int pointerX = 0, pointerY = 0;  // screen pixels: where it opened
  int result = -1;                 // what PopupMenu returned
};
struct DialogRecord {
  std::uint32_t atMs = 0;
  plat::DialogLayout dialog;
};
struct MessageBoxRecord {
  std::uint32_t atMs = 0;
  std::string text;
};

// Answers every popup menu: gets the items, returns the chosen index or -1
// (an index out of range or on a separator counts as -1). Unset: -1. The
// answerer runs while the menu is open: it may call RunModalFor.
void AnswerMenus(std::function<int(std::span<const plat::MenuItem>)> answer);
// Runs while a dialog is open (unset: the dialog is closed at once).
void OnDialog(std::function<void(const plat::DialogLayout&)> answer);
// Runs while a message box is open (unset: OK is pressed at once).
void OnMessageBox(std::function<void(const std::string&)> answer);

// Only from inside an answerer while a menu, dialog or message box is open:
// lets `ms` virtual milliseconds pass in its nested event loop, delivering
// timer ticks as they fall due (clicks wait for the modal window to close).
// Throws std::logic_error outside a modal window.
void RunModalFor(int ms);
// How many modal windows are open right now.
int ModalDepth();

std::vector<MenuRecord> Menus();
std::vector<DialogRecord> Dialogs();
std::vector<MessageBoxRecord> MessageBoxes();

// ---------------------------------------------------------------- windows

enum class WindowKind { kSprite, kLabel, kPictureBox, kLine };

struct PrintedText {
  int x = 0, y = 0;  // pixels in the window
  std::string text;
  plat::TextFont font;
  plat::Color color = 0;
};

struct WindowRecord {
  plat::WindowId id = plat::kNoWindow;
  WindowKind kind = WindowKind::kSprite;
  std::string name;
  plat::WindowId parent = plat::kNoWindow;  // kNoWindow for sprite windows
  // Pixels: relative to the parent for controls, to the screen otherwise.
  plat::Rect rect;
  plat::Rect screenRect;  // on the screen
  bool visible = false;   // its own flag
  bool shown = false;     // its flag and every ancestor's: really on screen
  bool painted = false;   // shown and not changed since the last yield
  plat::Color backColor = plat::RGB(255, 255, 255);
  bool backColorSet = false;  // a label is transparent until set
  const plat::Picture* picture = nullptr;
  // The outline as the window has it: what was set, clipped to the window.
  std::optional<plat::Region> outline;
  int shapeCount = 0;  // successful SetWindowShape calls
  std::vector<PrintedText> texts;  // since the last ClearText
  std::string caption;              // labels
  plat::TextFont captionFont;
  plat::Color captionColor = 0;
  // Lines: endpoints in the parent's pixels (twips rounded like positions).
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  plat::Color lineColor = 0;
  bool focused = false;
  bool hasMouseDownHandler = false;
  bool hasGotFocusHandler = false;
  // Position among its siblings (the sprite windows, or the parent's
  // controls), 0 = bottom. Showing a hidden window raises it to the top.
  int stackIndex = 0;
  std::vector<plat::TimerId> timers;  // its live timers
  std::vector<plat::WindowId> children;  // its live controls, creation order
};

// The record of a live window, nullopt when `w` does not exist.
std::optional<WindowRecord> Window(plat::WindowId w);
// Live windows with that name, in creation order.
std::vector<WindowRecord> FindWindows(const std::string& name);
// The live sprite windows from bottom to top (shown or not).
std::vector<plat::WindowId> StackingOrder();
int LiveWindowCount();  // sprite windows and controls
int LiveTimerCount();

struct TimerRecord {
  plat::TimerId id = plat::kNoTimer;
  plat::WindowId owner = plat::kNoWindow;
  int interval = 0;
  bool enabled = false;
  bool running = false;  // its handler is running now
  std::optional<std::uint32_t> dueAtMs;  // clock reading of its next tick
  std::uint64_t tickCount = 0;
};
std::optional<TimerRecord> Timer(plat::TimerId t);

}  // namespace sim
