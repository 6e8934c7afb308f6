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
#include "platform/timer_table.h"
#include "platform/types.h"
#include "platform/window.h"
#include "platform/window_table.h"

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
struct wl_subcompositor;
struct wl_subsurface;
struct wl_surface;
struct xdg_wm_base;
struct zxdg_decoration_manager_v1;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;


namespace plat::wl {

// A shared-memory buffer the compositor may still be reading.
struct Buffer {
  wl_buffer* buffer = nullptr;
  void* pixels = nullptr;
  std::size_t bytes = 0;
  int width = 0, height = 0;
  bool busy = false;  // attached and not yet released by the compositor
};

// A sprite window's surface while it is shown: a subsurface of the stage.
struct Surface {
  wl_surface* surface = nullptr;
  wl_subsurface* sub = nullptr;
  bool committedBuffer = false;  // a buffer has been committed: it shows with the stage
  wl_callback* frame = nullptr;  // the compositor's next frame callback
  std::vector<std::unique_ptr<Buffer>> buffers;
  Rect placed;  // the place and size last sent (game pixels)
};

// The stage: one layer surface on the overlay layer, stretched over the
// output's usable area, transparent, whose configured size is the work
// area's. Every shown sprite is a subsurface of it, stacked in the order
// they were shown; its input region is the sprites' outlines, so clicks
// elsewhere fall through, and it takes the keyboard on demand.
struct Stage {
  wl_surface* surface = nullptr;
  zwlr_layer_surface_v1* layer = nullptr;
  std::uint32_t configureSerial = 0;
  bool configured = false;
  bool acked = true;
  bool closed = false;  // the compositor took it away (its output went)
  int width = 0, height = 0;  // configured: the work area
  std::unique_ptr<Buffer> buffer;  // all transparent, of that size
  // The keyboard: exclusive until it has it (SetFocus, a click on a sprite),
  // on demand while it has it, none otherwise, and none while a dialog of
  // the game's is open or the keyboard goes back to the window the player
  // clicked (input.cpp).
  bool keyboardWanted = false;
  bool dialogOpen = false;
  bool yielding = false;
  bool inputChanged = true;     // the input region must be sent again
  bool changed = true;          // a commit is due (places, stacking, input, keyboard)
};

// A window or control: what the game gave it (WindowCore), and its surface.
struct WindowRec : WindowCore {
  // Sprites: the surface while shown, and what the next yield must send.
  std::unique_ptr<Surface> surface;
  bool dirty = false;      // its pixels changed
  bool moved = false;      // its margins or size changed
  bool reshaped = false;   // its input region changed
  std::uint64_t shownAt = 0;  // when it was last shown, in the order of showing
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
  zxdg_decoration_manager_v1* decorations = nullptr;  // where the compositor frames dialogs
  wl_seat* seat = nullptr;
  wl_pointer* pointer = nullptr;
  wl_keyboard* keyboard = nullptr;
  xkb_context* xkb = nullptr;
  xkb_keymap* keymap = nullptr;
  xkb_state* keyState = nullptr;

  wl_subcompositor* subcompositor = nullptr;
  // The outputs and their integer scales, and the scale the sprites are
  // painted at: the largest of the outputs the stage is on.
  std::map<wl_output*, int> outputScales;
  std::vector<wl_output*> stageOutputs;
  int scale = 1;
  Stage stage;
  std::vector<WindowId> stacking;  // shown sprites with a surface, bottom to top
  std::uint64_t shows = 0;         // sprites shown so far: the next one's shownAt
  std::optional<std::pair<int, int>> watched;  // WatchScreen(true): the work area's size then

  std::map<WindowId, WindowRec> windows;
  TimerTable timers;
  WindowId nextWindow = 1;

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
  bool leftStage = false;  // the last keyboard event: the stage lost the keyboard
  bool heard = false;  // KeyboardHeard when the game was last told
  std::function<void()> onKeyboardHeard;
  // The sprite the game gave the focus to (SetFocus); the compositor gives
  // the keyboard to the stage. A window not shown yet takes it when shown.
  WindowId focus = kNoWindow;
  WindowId pendingFocus = kNoWindow;

  // Game handlers waiting for the next yield, in the order their events came.
  std::deque<std::function<void()>> deferred;
  int handlerDepth = 0;
  int modalDepth = 0;
  // A modal window's own pointer and keys (menu.cpp, dialogs.cpp): they see
  // the events of their surfaces before the sprites do.
  std::function<bool(wl_surface*, double, double, std::uint32_t button)> modalPointer;
  std::function<void(wl_surface*)> modalMotion;
  std::function<bool(std::uint32_t keysym)> modalKey;

  std::uint64_t presented = 0;        // frame callbacks seen
  std::int64_t lastPresentedUs = -1;  // when the last came
};

Backend& B();
bool Open();  // the connection is up

WindowRec* FindWindow(WindowId w);
WindowRec* TopLevelOf(WindowId w);
// The topmost shown sprite whose outline covers pixel (x, y) of the stage;
// nullptr for none.
WindowRec* SpriteAt(int x, int y);

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
void DropTimersOf(WindowRec& rec);

// Surfaces (surfaces.cpp): the sprite windows' subsurfaces.
void ShowSurface(WindowRec& rec);  // on top of the others at the next yield
void HideSurface(WindowRec& rec);
// Where a sprite's surface goes, in game pixels: its rectangle, or for a
// window of one colour and nothing else its outline's extents.
Rect SurfaceRect(const WindowRec& rec);
// The stage (stage.cpp): made and configured at start; made anew, with
// every sprite's surface, when the compositor takes it away.
bool StartStage();
void StopStage();
// Sends the stage's state (input region, keyboard, the sprites' places and
// stacking) with one commit.
void CommitStage();
// The keyboard interactivity the stage asks for: on demand (a click gives
// it the keyboard), exclusive while the game wants the focus (SetFocus).
void SetStageKeyboard();
// Runs the got-focus handler of the window with the game's focus, once the
// stage has the keyboard.
void NoteFocusGiven();
// The outputs (connection.cpp) and the sprites' scale (stage.cpp): a new
// scale repaints every sprite.
void WatchOutput(wl_output* output);
void ForgetOutputs();
void UpdateScale();
// Throws plat::ScreenChanged once when the watched work area changed.
void ThrowScreenChange();
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
