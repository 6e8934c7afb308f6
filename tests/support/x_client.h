// The tests' own X client, apart from the program's connections: it reads
// back what the server knows of the windows (tree, geometry, outline, pixels,
// properties) and plays the user through XTEST. Used by the X11 backend's
// tests, the end-to-end tests and the benchmarks alike. Every wait has a
// bound.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/region.h"
#include "platform/types.h"

struct xcb_connection_t;
struct _XCBKeySymbols;

namespace xtest {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// Milliseconds since `since`, as a double.
double MsSince(Clock::time_point since);

// Polls `done` every `every` until it holds or `limit` has passed; true when
// it held. `done` is tried once more at the end.
bool WaitUntil(const std::function<bool()>& done, Ms limit, Ms every = Ms(5));

// A mapped child of the root as the server has it.
struct Window {
  std::uint32_t id = 0;
  std::string name;  // _NET_WM_NAME, else WM_NAME
  plat::Rect rect;   // on the screen
  bool overrideRedirect = false;
};

// The title window while the title waits: the lamps and the 300 x 48 title
// (times `scale`) both among the mapped windows; nullopt otherwise.
std::optional<Window> WaitingTitle(const std::vector<Window>& mapped, int scale = 1);

// The pixels of a 32-bit window more than half opaque, in `area` (window
// pixels), relative to the window; read from the window's own contents.
plat::Region OpaquePart(xcb_connection_t* c, std::uint32_t window, const plat::Rect& area);

class XClient {
 public:
  // Connects to `display` (empty: DISPLAY); ok() says whether it could.
  explicit XClient(const std::string& display = "");
  ~XClient();
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;

  bool ok() const;
  std::uint32_t Root() const { return root_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // Waits until the server has handled everything sent so far.
  void Sync();

  // Holds every other client (the program) still until Ungrab, so that
  // several reads show one moment of the game. Nested grabs count.
  void Grab();
  void Ungrab();

  // The mapped children of the root, bottom to top, read while the server is
  // grabbed so that they show one moment of the program.
  std::vector<Window> Mapped();
  // The mapped windows of that name (frmPlayer, frmEnemy, ...).
  std::vector<Window> Named(const std::string& name);
  std::optional<Window> One(const std::string& name);
  // Waits for a mapped window of that name that satisfies `ok`.
  std::optional<Window> WaitFor(const std::string& name, Ms limit,
                                const std::function<bool(const Window&)>& ok = nullptr);

  // What the server knows of any window.
  bool Exists(std::uint32_t window);
  bool Viewable(std::uint32_t window);
  bool OverrideRedirect(std::uint32_t window);
  int Depth(std::uint32_t window);  // bits per pixel of its visual; 0 when gone
  // Its outer rectangle on the screen, in pixels.
  plat::Rect ScreenRect(std::uint32_t window);
  // Its bounding outline, relative to the window, clipped to its rectangle.
  plat::Region Shape(std::uint32_t window);
  // What of it shows: its bounding outline cut by its input shape (a 32-bit
  // sprite drawn by its alpha keeps its whole rectangle as bounding shape and
  // cuts only its input); of a 32-bit window that lets every click through
  // (an empty input shape), its opaque pixels.
  plat::Region Outline(std::uint32_t window);
  // Where it takes clicks, relative to the window.
  plat::Region InputShape(std::uint32_t window);
  // Children of the root, bottom to top.
  std::vector<std::uint32_t> Stacking();
  // Children of a window, bottom to top, and its parent.
  std::vector<std::uint32_t> Children(std::uint32_t window);
  std::uint32_t Parent(std::uint32_t window);
  std::uint32_t FocusWindow();
  // The window owning a selection, 0 for none.
  std::uint32_t SelectionOwner(const std::string& selection);

  // Screen pixels of a rectangle, 0xRRGGBB row by row (empty on failure).
  // Pixels, ScreenRect and Shape are read after `BeforeReading` (a program in
  // this process lets the server catch up with what it sent).
  std::vector<std::uint32_t> Pixels(const plat::Rect& r);
  void BeforeReading(std::function<void()> f) { beforeReading_ = std::move(f); }
  // Where Pixels reads the screen from instead of the root window: an X
  // server that has no picture of the whole screen (XWayland, whose windows
  // the Wayland compositor puts together) lets the compositor's own
  // screenshot stand for it.
  // `ungrabbed`: the reader needs the server free while it reads (the
  // compositor's window manager, an X client, shows no change meanwhile).
  using ScreenReader = std::function<std::vector<std::uint32_t>(const plat::Rect&)>;
  void ReadScreenWith(ScreenReader f, bool ungrabbed) {
    screenReader_ = std::move(f);
    readerUngrabbed_ = ungrabbed;
  }
  // A window's own pixels as the server keeps them, 0xAARRGGBB row by row
  // (alpha 0xff for windows without an alpha channel); empty on failure.
  std::vector<std::uint32_t> WindowPixels(std::uint32_t window);
  // What the server's windows make of a rectangle of the screen when a
  // compositor draws each by its alpha over a desktop of colour `desktop`:
  // every viewable window's own pixels, bottom to top, children over their
  // parents, cut by their bounding shapes. 0xRRGGBB row by row, like Pixels;
  // from windows alone, it works where the root has no picture (XWayland).
  std::vector<std::uint32_t> ComposedPixels(const plat::Rect& r, std::uint32_t desktop);
  // The whole screen as a binary PPM file, for looking at after a failure.
  bool SaveScreen(const std::string& path);

  // Properties.
  std::string WindowName(std::uint32_t window);  // _NET_WM_NAME or WM_NAME
  // A property of type STRING, its bytes as stored (NULs included).
  std::string StringProperty(std::uint32_t window, const std::string& name);
  void SetStringProperty(std::uint32_t window, const std::string& name, const std::string& value);
  std::vector<std::string> AtomListProperty(std::uint32_t window, const std::string& name);
  // The values of a property of 32-bit items (CARDINAL, WINDOW), any type.
  std::vector<std::uint32_t> Cardinals(std::uint32_t window, const std::string& name);
  // Sets or removes a CARDINAL list property (the root's _NET_WORKAREA).
  void SetCardinals(std::uint32_t window, const std::string& name,
                    const std::vector<std::uint32_t>& values);
  void DeleteProperty(std::uint32_t window, const std::string& name);
  std::uint32_t Atom(const std::string& name);
  std::string AtomName(std::uint32_t atom);

  // Another client's doings to the program's windows. Each returns once the
  // server has done it.
  void SendFakeConfigure(std::uint32_t window, int width, int height);  // synthetic
  void Resize(std::uint32_t window, int width, int height);
  void MoveTo(std::uint32_t window, int x, int y);
  void SendDeleteWindow(std::uint32_t window);  // WM_PROTOCOLS / WM_DELETE_WINDOW
  void Unmap(std::uint32_t window);
  void Destroy(std::uint32_t window);
  void SetOverrideRedirect(std::uint32_t window, bool on);
  // Resets the window's bounding shape (SHAPE): its whole rectangle shows.
  void ResetShape(std::uint32_t window);
  // Iconifies it the ICCCM way (WM_CHANGE_STATE to the root).
  void Iconify(std::uint32_t window);
  // Takes the selection with a window of this client's own; its owner before.
  std::uint32_t TakeSelection(const std::string& name);
  void ReleaseSelection(const std::string& name);
  // Asks the selection's owner `times` times to convert it (to STRING).
  void ConvertSelection(const std::string& name, int times);
  // A made-up notice to the selection's owner that it lost the selection.
  void SendSelectionClear(std::uint32_t owner, const std::string& name);
  // The server's screen saver switched on or off at once.
  void ForceScreenSaver(bool on);

  // The desktop: a plain colour under every window, and a panel that the
  // work area leaves out (set before the program starts).
  void SetDesktopColour(std::uint32_t rgb);
  void SetWorkArea(const plat::Rect& r);

  // The user, through XTEST. Each call returns once the server has done it.
  void Key(std::uint32_t keysym, bool down);
  void Tap(std::uint32_t keysym, Ms held = Ms(30));
  void MovePointer(int x, int y);
  void Button(int xButton, bool down);  // 1 left, 2 middle, 3 right
  // Moves there, presses and after `held` releases.
  void Click(int x, int y, int xButton, Ms held = Ms(30));
  // The same as a hand does it: the pointer glides there in steps, moves a
  // pixel aside and back, rests, then the button goes down. A compositor
  // nested on the server (sway) gives a press to the surface under its
  // pointer only after more than one motion over it.
  void HandClick(int x, int y, int xButton);
  // Pins the pointer of a compositor nested on the server to the server's
  // own: weston's nested back end moves its pointer by the differences
  // between motions, clamped at its output's edges, so two opposite corners
  // bring both to the same place.
  void PinNestedPointer();
  // Taps the keys of `text`: lower-case letters, digits, spaces, and
  // Return for '\n'.
  void Type(const std::string& text);
  // Holds the keyboard as another program (a screen locker) may: true when
  // the grab took; and lets it go.
  bool GrabKeyboard();
  void UngrabKeyboard();
  // A password prompt's way: a window of this client's own mapped, the
  // keyboard grabbed on it, then the focus taken. Its end (ungrab, window
  // destroyed) is told to that window only. Returns the window, 0 when the
  // grab did not take.
  std::uint32_t GrabKeyboardLikeAPrompt();
  void EndPromptGrab(std::uint32_t prompt);
  // A made-up focus event (SendEvent) of the given mode (XCB_NOTIFY_MODE_*)
  // to a window's focus listeners.
  void SendFocusEvent(std::uint32_t window, bool in, std::uint8_t mode);
  // Whether another client holds the keyboard, asked without ever taking it
  // (a probe that took it, even for a moment, could make a menu's own grab
  // fail).
  bool KeyboardHeldByAnother();
  // Waits until another client holds the keyboard (an open popup menu takes
  // it a moment after it is mapped); true when one does.
  bool WaitForKeyboardGrab(Ms limit);

  // Window moves as they happen: StructureNotify on the window.
  void WatchMoves(std::uint32_t window);
  // Waits for the next ConfigureNotify of a watched window; its time of
  // arrival and the window's new position.
  struct Move {
    Clock::time_point at;
    std::uint32_t window;
    int x;
    int y;
  };
  std::optional<Move> NextMove(Ms limit);

 private:
  std::uint8_t Keycode(std::uint32_t keysym);
  void Compose(std::uint32_t parent, int x, int y, const plat::Rect& clip, const plat::Rect& r,
               std::vector<std::uint32_t>& out);
  void ReadNames(std::vector<Window>& windows);
  std::uint32_t ServerTime();

  std::string display_;
  xcb_connection_t* c_ = nullptr;
  // A connection of its own for KeyboardHeldByAnother, whose events are all
  // its own, and the window it changes to read the server's clock.
  xcb_connection_t* probe_ = nullptr;
  std::uint32_t probeWindow_ = 0;
  _XCBKeySymbols* symbols_ = nullptr;
  std::uint32_t root_ = 0;
  int width_ = 0;
  int height_ = 0;
  std::uint32_t netWmName_ = 0;
  int grabs_ = 0;
  std::function<void()> beforeReading_;
  ScreenReader screenReader_;
  bool readerUngrabbed_ = false;
};

// The server grabbed for the life of this object.
class ServerGrab {
 public:
  explicit ServerGrab(XClient& x) : x_(x) { x_.Grab(); }
  ~ServerGrab() { x_.Ungrab(); }
  ServerGrab(const ServerGrab&) = delete;
  ServerGrab& operator=(const ServerGrab&) = delete;

 private:
  XClient& x_;
};

// Whether the ship's window moves within `limit`: the stage's frames run, and
// a key pressed from now on is seen by one of them.
bool ShipMoves(XClient& x, Ms limit);

// X keysyms the game uses.
namespace key {
inline constexpr std::uint32_t kSpace = 0x0020;
inline constexpr std::uint32_t kEscape = 0xff1b;
inline constexpr std::uint32_t kHome = 0xff50;
inline constexpr std::uint32_t kLeft = 0xff51;
inline constexpr std::uint32_t kUp = 0xff52;
inline constexpr std::uint32_t kRight = 0xff53;
inline constexpr std::uint32_t kDown = 0xff54;
inline constexpr std::uint32_t kReturn = 0xff0d;
}  // namespace key

}  // namespace xtest
