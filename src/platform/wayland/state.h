// The Wayland backend's state: the connection and its globals, the window
// and timer tables, the keyboard and pointer, all in one struct.
#pragma once

#include <QGuiApplication>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/region.h"
#include "platform/types.h"
#include "platform/window.h"

struct wl_buffer;
struct wl_callback;
struct wl_compositor;
struct wl_display;
struct wl_event_queue;
struct wl_keyboard;
struct wl_output;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_surface;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;


namespace plat::wl {

enum class Kind { kSprite, kLabel, kPictureBox, kLine };

struct PrintedText {
  int x = 0, y = 0;
  std::string text;
  TextFont font;
  Color color = 0;
};

// A shared-memory buffer the compositor may still be reading.
struct Buffer {
  wl_buffer* buffer = nullptr;
  void* pixels = nullptr;
  std::size_t bytes = 0;
  int width = 0, height = 0;
  bool busy = false;  // attached and not yet released by the compositor
};

// A sprite window's layer surface while it is shown.
struct Surface {
  wl_surface* surface = nullptr;
  zwlr_layer_surface_v1* layer = nullptr;
  std::uint32_t configureSerial = 0;  // the last configure, acknowledged at the next commit
  bool configured = false;
  bool acked = true;
  bool committedBuffer = false;  // a buffer has been committed: the compositor shows it
  wl_callback* frame = nullptr;  // the compositor's next frame callback
  std::vector<std::unique_ptr<Buffer>> buffers;
  Rect placed;   // the margins and size last committed (game pixels)
  bool keyboardWanted = false;  // exclusive keyboard until it has the focus (SetFocus)
  bool closed = false;          // the compositor took it away: made anew at the next yield
  std::uint64_t made = 0;       // when it was made, in the order of all surfaces: the stacking order
};

struct WindowRec {
  WindowId id = kNoWindow;
  Kind kind = Kind::kSprite;
  std::string name;
  WindowId parent = kNoWindow;
  Rect rect;  // pixels, relative to the parent (sprites: to the game's screen)
  bool visible = false;
  Color backColor = RGB(255, 255, 255);
  bool backColorSet = false;
  const Picture* picture = nullptr;
  std::optional<Region> outline;
  std::vector<PrintedText> texts;
  std::string caption;
  TextFont captionFont;
  Color captionColor = 0;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // lines, parent pixels
  Color lineColor = 0;
  MouseDownHandler onMouseDown;
  std::function<void()> onGotFocus;
  std::vector<WindowId> children;  // bottom to top
  std::vector<TimerId> timers;
  // Sprites: the surface while shown, and what the next yield must send.
  std::unique_ptr<Surface> surface;
  bool dirty = false;      // its pixels changed
  bool moved = false;      // its margins or size changed
  bool reshaped = false;   // its input region changed
};

struct TimerRec {
  TimerId id = kNoTimer;
  WindowId owner = kNoWindow;
  std::function<void()> onTick;
  int interval = 0;
  bool enabled = true;
  bool running = false;
  std::int64_t dueMs = 0;  // steady clock, valid while Active()
  bool Active() const { return enabled && interval > 0; }
};

struct KeyState {
  bool held = false;
  bool pressedSince = false;
};

struct Backend {
  std::unique_ptr<QGuiApplication> app;
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_event_queue* keyQueue = nullptr;  // the keyboard's events, read at every key poll
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;
  std::uint32_t layerShellVersion = 0;
  xdg_wm_base* wmBase = nullptr;
  wl_seat* seat = nullptr;
  wl_pointer* pointer = nullptr;
  wl_keyboard* keyboard = nullptr;
  xkb_context* xkb = nullptr;
  xkb_keymap* keymap = nullptr;
  xkb_state* keyState = nullptr;

  // The work area: a layer surface of no content stretched over the
  // output's usable area, whose configured size is the work area's.
  wl_surface* probeSurface = nullptr;
  zwlr_layer_surface_v1* probe = nullptr;
  int workWidth = 0, workHeight = 0;
  std::optional<std::pair<int, int>> watched;  // WatchScreen(true): the size then

  std::map<WindowId, WindowRec> windows;
  std::map<TimerId, TimerRec> timers;
  WindowId nextWindow = 1;
  TimerId nextTimer = 1;

  // Keys by virtual-key code; the code each held key went down as, by
  // evdev key code, so that its release matches whatever the modifiers.
  std::map<int, KeyState> keys;
  std::map<std::uint32_t, int> downAs;
  std::uint64_t keyEvents = 0;  // key presses and releases heard so far

  // The pointer: the surface it is over and where, and the serial of the
  // last button press (a popup's grab needs it).
  wl_surface* pointerSurface = nullptr;
  double pointerX = 0, pointerY = 0;
  std::uint32_t pressSerial = 0;
  wl_surface* keyboardSurface = nullptr;  // our surface with the keyboard focus
  WindowId pendingFocus = kNoWindow;  // SetFocus on a window not shown yet

  // Game handlers waiting for the next yield, in the order their events came.
  std::deque<std::function<void()>> deferred;
  int handlerDepth = 0;
  int modalDepth = 0;
  // A modal window's own pointer and keys (menu.cpp, dialogs.cpp): they see
  // the events of their surfaces before the sprites do.
  std::function<bool(wl_surface*, double, double, std::uint32_t button)> modalPointer;
  std::function<void(wl_surface*)> modalMotion;
  std::function<bool(std::uint32_t keysym)> modalKey;

  std::uint64_t surfacesMade = 0;
  std::uint64_t presented = 0;        // frame callbacks seen
  std::int64_t lastPresentedUs = -1;  // when the last came
};

Backend& B();
bool Open();  // the connection is up

WindowRec* FindWindow(WindowId w);
TimerRec* FindTimer(TimerId t);
WindowRec* TopLevelOf(WindowId w);
// The sprite window whose shown surface this is; nullptr for none.
WindowRec* SpriteOf(const wl_surface* s);

// Runs a game handler at the next yield (never inside a listener).
void Defer(std::function<void()> handler);
// Runs the handlers waiting, each guarded (handler_guard.h).
void RunDeferred();

// Reads what the compositor sent without blocking and dispatches the
// keyboard's events only; the connection lost ends the program (one line,
// exit status 1).
void ReadKeyboardEvents();
// Reads, then dispatches every event; `waitMs` > 0 blocks up to that long
// for the first (or until the end signal).
// Returns true when a signal asked the program to end meanwhile.
bool PumpEvents(int waitMs);
// Sends what is buffered; ends the program when the compositor is gone.
void Flush();
// Waits for the compositor to have handled everything sent so far.
void Roundtrip();
[[noreturn]] void ConnectionLost();

// Timers (timers.cpp).
void DeliverDueTimers();
std::int64_t NextTimerDueMs();  // -1 for none
void DropTimersOf(WindowRec& rec);
std::int64_t SteadyMs();
std::int64_t SteadyUs();

// Surfaces (surfaces.cpp): the sprite windows' layer surfaces.
void ShowSurface(WindowRec& rec);
// Where a sprite's surface goes, in game pixels: its rectangle, or for a
// window of one colour and nothing else its outline's extents.
Rect SurfaceRect(const WindowRec& rec);
// The keyboard interactivity the surface asks for: on demand (a click gives
// it the keyboard), exclusive while it wants the focus (SetFocus).
void SetKeyboard(Surface& s);
void HideSurface(WindowRec& rec);
// Sends what changed of every shown sprite since the last yield and waits
// until the compositor has it.
void SendChanges();
void DestroyAllWindows();

// Shared-memory buffers (surfaces.cpp): ARGB, premultiplied, made busy
// when attached and free again when the compositor releases them.
std::unique_ptr<Buffer> MakeBuffer(int width, int height);
void DestroyBuffer(Buffer& buf);

// One pass of the loop modal windows run: waits up to `maxMs` for the
// compositor, the next tick or a signal, then delivers (events.cpp).
void PumpOnce(int maxMs);

// Marks a window or control's sprite for repainting at the next yield.
void MarkDirty(WindowId w);

}  // namespace plat::wl
