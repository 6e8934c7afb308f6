// The X11 backend's state: the Qt application, the window and timer tables
// and what the next yield still has to do.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <string>
#include <vector>

#include "platform/qt/keyboard.h"
#include "platform/region.h"
#include "platform/screen.h"
#include "platform/timer_table.h"
#include "platform/types.h"
#include "platform/window.h"
#include "platform/window_table.h"

struct xcb_connection_t;

namespace plat::qt {

class Widget;

// Who paints a sprite window; set by ChoosePainter alone (painting.h).
enum class Painter {
  kQt,            // Qt, on request; the X window has no background
  kServerColour,  // the server, from the window's colour as X background
  kOutlineFill,   // drawn by its alpha: the server clears, the program fills the outline
};

// A window or control: what the game gave it (WindowCore), and how the X
// server and Qt show it.
struct WindowRec : WindowCore {
  QPointer<Widget> widget;
  Rect onServer;  // sprites: where the X window is, in game pixels (ServerRect)
  std::uint32_t placedBy = 0;  // sprites: the request that last placed the X window (RestorePlace)
  bool sizedOnServer = false;  // last resized by the backend alone: Qt's size may differ (PlaceOnServer)
  bool cutAtMonitor = false;  // the server shows less than the outline (shape.cpp)
  bool boundingSet = false;   // drawn by alpha: a bounding shape of the backend's on the window
  bool inputEmptied = false;  // drawn by alpha: the input shape sent is empty (PassesClicks)
  bool mappedBefore = false;  // its X window has been shown once (windows.cpp)
  bool parked = false;  // hidden through XWayland: left mapped, off every screen (windows.cpp)
  Painter painter = Painter::kQt;
  std::uint32_t painterPixel = 0;  // the background (kServerColour) or the fill (kOutlineFill)
  bool onRootVisual = false;  // sprites: pixels coded as the root's (0xRRGGBB where serverColours)
  bool argbVisual = false;    // sprites: pixels coded 0xAARRGGBB
};

// The hidden window whose messages, sent after the program's requests,
// come back after the exposures those requests caused (painting.h).
struct ExposureMarker {
  std::uint32_t window = 0;
  std::uint32_t atom = 0;
  std::uint64_t sent = 0;
  std::uint64_t seen = 0;
};

// WatchScreen: the screen as it was when watching started, and until when
// the yields look at it again after an event that may have changed it.
struct ScreenWatch {
  bool on = false;
  std::int64_t lookUntilMs = -1;
  ScreenInfo screen;
  QPoint origin;  // the game's column 0 and the monitor's top, device pixels
  int scale = 1;  // device pixels per game pixel
  std::int64_t nextMonitorPollMs = 0;  // when the monitors are read again (screen.cpp)
};

// While Qt starts (app.cpp): Qt's complaints held back, stderr's copy and
// the file that holds what is written meanwhile, and the message handler
// that was there before the program's.
struct StartUp {
  bool starting = false;
  std::vector<std::string> heldBack;
  int savedStderr = -1;
  int heldStderr = -1;
  QtMessageHandler nextHandler = nullptr;
};

// Through XWayland (wayland_focus.h): the window a click maps so that the
// compositor gives the program the keyboard, and what the game was last
// told of the keyboard.
struct WaylandFocus {
  bool xwayland = false;
  std::unique_ptr<QWidget> catcher;  // the window a click maps
  std::int64_t mappedMs = 0;         // when it was last mapped
  bool heard = true;                 // KeyboardReachesProgram when last told
  std::function<void()> onChange;
  QMetaObject::Connection focusWatch;
};

// The traffic counted for the benchmarks with ZEMBRANT_STATS (stats.h).
struct TrafficCounts {
  std::string path;  // empty: nothing is counted
  std::uint64_t events = 0;  // events and errors the server sent Qt's connection
  std::uint64_t yields = 0;
  std::uint64_t ownNoOps = 0;  // per connection
  std::int64_t lastWriteMs = 0;
};

struct Backend {
  std::unique_ptr<QApplication> app;
  StartUp startUp;
  xcb_connection_t* conn = nullptr;  // Qt's own connection
  std::uint32_t root = 0;
  int screen = 0;  // the screen DISPLAY names
  bool shapeAvailable = false;
  std::uint8_t shapeEvent = 0;  // the SHAPE extension's notify event, 0 without it
  std::unordered_set<std::uint32_t> outlinesWatched;  // X windows whose outline changes are heard (shape.cpp)
  bool serverColours = false;  // the screen's pixels are 0xRRGGBB (24-bit true colour)
  Keyboard keyboard;
  std::unique_ptr<QSocketNotifier> keyNotifier;
  std::unique_ptr<QSocketNotifier> endSignalNotifier;  // SIGINT, SIGTERM, SIGHUP
  std::unique_ptr<QAbstractNativeEventFilter> xEvents;  // the one filter of Qt's X events (x_events.cpp)
  std::uint32_t displayClaim = 0;  // the window owning the display's selection
  std::uint32_t claimSelection = 0;  // its atom, and the message `--quit` sends
  std::uint32_t quitAtom = 0;
  ExposureMarker marker;
  std::uint32_t fillContext = 0;  // the graphics context outlines are filled with (painting.cpp)
  // Atoms interned so far, per connection (x11.h).
  std::map<std::pair<xcb_connection_t*, std::string>, std::uint32_t> atoms;
  // A compositor draws the windows by their alpha (shape.cpp): sprites made
  // meanwhile are 32-bit, and no sprite's X window is cut to its outline
  // while it lasts. Its selection, the XFixes event that tells of a new
  // owner, and the look whether the owner draws the windows at all.
  bool compositing = false;
  std::uint32_t compositorSelection = 0;
  std::uint8_t selectionOwnerEvent = 0;
  std::unique_ptr<QTimer> compositorProbe;
  bool trustCompositorSelection = false;  // the X tests' stand-in draws nothing (testing.h)
  std::optional<Rect> workArea;  // the desktop's, in device pixels (screen.h)
  // The primary monitor as RandR tells of it now, in device pixels, and how
  // many monitors there are (screen.h); Qt's screens otherwise.
  std::optional<Rect> primaryMonitor;
  int monitorCount = 0;
  ScreenWatch screenWatch;
  WaylandFocus waylandFocus;
  std::unique_ptr<QTimer> pump;  // wakes the event loop when a tick is due
  std::int64_t pumpDueMs = -1;   // the due time the pump is set for

  std::map<WindowId, WindowRec> windows;
  std::unordered_map<std::uint32_t, WindowId> spriteXids;  // X window -> sprite window
  TimerTable timers;
  WindowId nextWindow = 1;

  // Windows and controls changed since the last yield, with the number of
  // paints they had when the first change came.
  std::map<WindowId, std::uint64_t> changed;
  // A sprite window was shown, moved, cut or hidden since the last yield:
  // the server exposes what it mapped or uncovered, and the yield waits to
  // paint it.
  bool exposing = false;
  // Focus wanted for a window that is not on screen yet.
  WindowId pendingFocus = kNoWindow;
  WindowId focusGiven = kNoWindow;  // the sprite the game last gave the focus to

  // Inside WaitForEvents: handlers are queued for the next yield instead of
  // running, and anything worth waking for sets `woken`.
  bool waiting = false;
  bool woken = false;
  std::deque<std::function<void()>> deferred;
  // When the last yield that asked Qt ended (steady clock, µs); -1 after a
  // sleep or a wait.
  std::int64_t lastYieldUs = -1;

  std::map<const Picture*, QImage> images;  // each picture as Qt draws it (widget.h)
  bool fontsLookedAt = false;  // whether there are fonts at all (fonts.cpp)
  TrafficCounts traffic;

  int handlerDepth = 0;  // handlers running right now (nested)
  int modalDepth = 0;    // menus, dialogs, message boxes open
  std::vector<QPointer<QWidget>> modals;
};

Backend& B();
bool Open();  // the Qt application exists

WindowRec* FindWindow(WindowId w);
// The sprite window a window or control belongs to.
WindowRec* TopLevelOf(WindowId w);

// Runs a game handler now, or queues it while WaitForEvents waits.
void Dispatch(std::function<void()> handler);
// After a handler: closes open modal windows when it ended the program.
void CloseModalsIfExiting();
// A signal asked the program to end: from now on the yields throw
// ProgramExit{0}, as after the menu's end command.
void EndOnSignal();
// The same with the given status (an exit remembered before stays).
void EndProgram(int status);

// Timers (timers.cpp).
void DeliverDueTimers();
void ReschedulePump();
void DropTimersOf(WindowRec& rec);

// A sprite window of one colour, with nothing drawn on it and no clicks
// taken, cut to an outline: a sprite made of a few small squares
// scattered over a large window, say (windows.cpp).
bool OneColourCutOut(const WindowRec& rec);
// Such a window drawn by its alpha under a compositor keeps its whole
// rectangle, shows its outline by its pixels and lets every click through:
// it is re-cut almost every frame, and a compositor takes any change of a
// window's shape or size, even of where it takes clicks, as a new window
// (a new picture of it bound, about a millisecond of its time), while new
// pixels cost it next to nothing.
bool PassesClicks(const WindowRec& rec);
// Where a sprite window's X window belongs, in game pixels: on its
// rectangle, or, for a one-colour window far larger than its outline
// (OneColourCutOut), on the outline's extents only, since a
// compositor repaints the whole of a window that is moved or re-cut; one
// that passes clicks keeps a box around them (PassesClicks). What it shows
// is the same either way (windows.cpp).
Rect ServerRect(const WindowRec& rec);
// Puts the X window on `to` (its ServerRect, worked out once per change):
// resized through Qt, moved straight on the server; kept to its outline's
// extents, resized straight on the server too (windows.cpp).
void PlaceOnServer(WindowRec& rec, const Rect& to);
// Where the X window of a sprite goes whose game rectangle starts at (x, y),
// in device pixels (windows.cpp).
QPoint ServerPoint(const WindowRec& rec, int x, int y);
// Where its X window stands now: ServerPoint of its onServer.
QPoint ServerPlace(const WindowRec& rec);
// Puts a sprite's X window back where and at the size the program last
// placed it, after another client moved or resized it (windows.cpp).
void RestorePlace(WindowRec& rec);
// What of a window or control Qt paints: the widget, or of a sprite window
// sized on the server alone the part the X window has.
QRect PaintArea(const WindowRec& rec);
// A sprite's X window: labelled and registered (windows.cpp); made anew
// for the same record, with its outline, place and visibility, after
// another client destroyed it.
void SetUpSpriteXWindow(WindowRec& rec);
void RemakeSprite(WindowId id);
// Puts every sprite's X window where its rectangle now lies on the screen,
// after the game's origin on the screen moved (windows.cpp).
void ReplaceSprites();
// Sends the outline again, to a new X window (shape.cpp).
void ResendShape(WindowRec& rec);

// An outline another client reset (or, on a window drawn by its alpha,
// changed the bounding shape of or emptied the input of) is sent again
// (shape.cpp); `ev` is a SHAPE notification.
void OnOutlineChanged(const xcb_generic_event_t* ev);

// Cuts a sprite window at the primary monitor's edges while it reaches past
// them onto another monitor, and makes it whole again after (shape.cpp).
void KeepOnMonitor(WindowRec& rec);

// A modal window another client destroyed, or unmapped for longer than a
// window manager takes to reparent it, ends as if dismissed (dialogs.cpp).
void CloseModalIfGone(std::uint32_t xid, bool destroyed);

// Destroys every window (and so every timer) and forgets queued events.
void DestroyAllWindows();

// Marks a window or control out of date: it is painted by the next yield.
// A control's place, visibility or outline (kFootprint) concerns its window
// as well; its colour, picture or text (kContent) only itself.
enum class Change { kContent, kFootprint };
void MarkChanged(WindowId w, Change what = Change::kFootprint);

}  // namespace plat::qt
