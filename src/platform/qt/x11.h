// Requests made straight on Qt's X connection, for what Qt does not offer or
// does with more traffic than a frame can afford (one flush per move).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/region.h"
#include "platform/types.h"

struct xcb_connection_t;

namespace plat::qt::x11 {

// Connects to the display DISPLAY names and checks that its screen exists.
// Returns "" and the connection and screen number, or one line saying why
// not (`conn` is then null).
std::string Connect(xcb_connection_t*& conn, int& screen);
// DISPLAY as it can be printed.
std::string DisplayName();

// The atom of that name, interned once per connection (Backend::atoms).
std::uint32_t Atom(xcb_connection_t* c, const std::string& name);
// The root window of the connection's screen `screen`, 0 for none.
std::uint32_t RootOf(xcb_connection_t* c, int screen);
// The WM_CLASS every window of the program carries: instance and class,
// each ended by a zero byte.
inline constexpr char kWmClass[] = "zembrant\0Zembrant";

// The properties every sprite window carries: the window type compositors
// leave without shadows, _COMPTON_SHADOW = 0 and the program's WM_CLASS.
void LabelSpriteWindow(xcb_connection_t* c, std::uint32_t window);
void SetWmClass(xcb_connection_t* c, std::uint32_t window);
// Asks the server not to send the window's key events: the keyboard is read
// on a connection of its own, and a held key would otherwise bring Qt an
// auto-repeated press and release many times a second for nothing. Returns
// the window's visual, read on the way (0 when the window is gone).
std::uint32_t DropKeyEvents(xcb_connection_t* c, std::uint32_t window);
// Adds or drops the window's key events, the rest of its event mask kept.
void SelectKeyEvents(xcb_connection_t* c, std::uint32_t window, bool on);
// The window with the keyboard focus (or PointerRoot, None).
std::uint32_t InputFocus(xcb_connection_t* c);
// Whether the window exists and is mapped with all its ancestors.
bool Viewable(xcb_connection_t* c, std::uint32_t window);

// The hidden window Qt names as the leader of the program's windows (their
// WM_CLIENT_LEADER, the group its dialogs are transient for); 0 for none.
std::uint32_t ClientLeader(xcb_connection_t* c, std::uint32_t window);

void DestroyWindow(xcb_connection_t* c, std::uint32_t window);

// The monitors RandR (1.5) tells of: the primary one's rectangle, in
// device pixels on the X screen (the first monitor when none is primary),
// and how many there are. nullopt where the server cannot tell.
struct Monitors {
  Rect primary;
  int count = 0;
};
std::optional<Monitors> ReadMonitors(xcb_connection_t* c, std::uint32_t root);
// Whether the event is RandR's news of a changed screen, output or monitor.
bool IsRandrEvent(xcb_connection_t* c, std::uint8_t responseType);

// The root's _NET_WORKAREA (its first rectangle), nullopt when it is not set.
std::optional<Rect> WorkArea(xcb_connection_t* c, std::uint32_t root);
std::uint32_t WorkAreaAtom(xcb_connection_t* c);

bool HasShape(xcb_connection_t* c);
// The number of the SHAPE extension's notify event.
std::uint8_t ShapeFirstEvent(xcb_connection_t* c);
// Whether the root window's visual stores a colour as 0xRRGGBB (24-bit true
// colour), so that a pixel value can be written from red, green and blue.
bool RootIsTrueColour(xcb_connection_t* c, std::uint32_t root);
std::uint32_t RootVisual(xcb_connection_t* c, std::uint32_t root);
// Whether the root's screen offers 32-bit visuals: windows can then be
// drawn by their alpha, which compositors use instead of SHAPE.
bool HasAlphaVisuals(xcb_connection_t* c, std::uint32_t root);
// The selection a compositing manager of the root's screen owns
// (_NET_WM_CM_S<n>).
std::uint32_t CompositorSelection(xcb_connection_t* c, std::uint32_t root);
// Whether the windows of the root are drawn by a compositor: someone owns
// the selection and has the root's windows redirected for drawing them
// itself. An owner that draws nothing (a program that only claims the
// name) does not count: the probe asks for that redirection and gets it
// (and gives it back at once) only when no compositor holds it.
bool Compositing(xcb_connection_t* c, std::uint32_t root, std::uint32_t selection);
// Asks the server to tell the connection whenever the selection's owner
// changes (XFixes). Returns the event code those notifications come with,
// 0 when the server cannot tell.
std::uint8_t WatchSelectionOwner(xcb_connection_t* c, std::uint32_t root, std::uint32_t selection);
// Why the root window's visual cannot show the program (Qt paints nothing
// on a colour-map visual: 8-bit PseudoColor), "" when it can.
std::string RootVisualProblem(xcb_connection_t* c, std::uint32_t root);
// Cuts the window to `outline` (device pixels, window-relative): what it
// shows, or with `input` only where it takes clicks.
void SetShape(xcb_connection_t* c, std::uint32_t window, const Region& outline, bool input = false);
// Gives the window back the bounding shape of its own: its whole rectangle.
void ClearShape(xcb_connection_t* c, std::uint32_t window);

// Whether the visual is 32-bit with 8 bits each of alpha, red, green and
// blue, alpha on top: a pixel is then 0xAARRGGBB.
bool IsArgb32(xcb_connection_t* c, std::uint32_t visual);
// A graphics context for filling the 32-bit windows of the screen `window`
// is on, sending no exposures.
std::uint32_t MakeFillContext(xcb_connection_t* c, std::uint32_t window);
// Fills the rectangles of a 32-bit window with the pixel, or clears them to
// its background, the server telling no one.
void FillRects(xcb_connection_t* c, std::uint32_t gc, std::uint32_t window, std::uint32_t pixel,
               const std::vector<Rect>& rects);
void ClearRects(xcb_connection_t* c, std::uint32_t window, const std::vector<Rect>& rects);

// Both return the request's sequence number.
std::uint32_t Move(xcb_connection_t* c, std::uint32_t window, int x, int y);
// Places and sizes the window in one request.
std::uint32_t MoveResize(xcb_connection_t* c, std::uint32_t window, int x, int y, int width, int height);
void Raise(xcb_connection_t* c, std::uint32_t window);
void Focus(xcb_connection_t* c, std::uint32_t window);

// Sends what is buffered.
void Flush(xcb_connection_t* c);

}  // namespace plat::qt::x11
