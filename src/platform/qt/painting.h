// Painting sprite windows: who paints each (Painter), which changes leave
// something for the program to paint, and waiting for the exposures.
//
// X keeps no copy of what a window covers: a window moved, cut or hidden
// uncovers parts of the windows below, and the server asks their owners to
// paint them. A yield waits for those requests only when some can be for
// windows the program paints itself. A sprite of a single colour, with no
// picture, text or control, is painted by the server: its X background is
// that colour, and the server fills what it exposes without asking.
#pragma once

#include <xcb/xcb.h>

#include "platform/qt/backend.h"
#include "platform/region.h"

namespace plat::qt {

// Of a window drawn by the outline's fill (Painter::kOutlineFill): its
// outline drawn anew, all of it, or where the outline `now` differs from
// the one it `was` (both in window pixels).
void RedrawOutline(const WindowRec& rec);
void RedrawOutlineChange(const WindowRec& rec, const Region& was, const Region& now);
// Sets the window's painter (WindowRec::painter), the one place that does:
// the server with the window's colour as X background while it can paint
// it alone; drawn by its alpha and passing clicks (PassesClicks), a
// transparent X background and the outline filled by the program straight
// on the server; otherwise Qt, with no X background (Qt's choice, no
// flicker). Call after any change of colour, picture, text or controls, and
// with `newXWindow` for a window just made, which has no X background yet.
void ChoosePainter(WindowRec& rec, bool newXWindow = false);

// The shape a sprite window shows, in game pixels on the primary monitor;
// ScreenShapeAt as if its rectangle were `at`.
Region ScreenShape(const WindowRec& rec);
Region ScreenShapeAt(const WindowRec& rec, const Rect& at);

// Notes what a change of a shown sprite window means for the next yield
// (Backend::exposing). `before` is its screen shape before the change.
void NoteMoved(const WindowRec& rec, const Region& before);
void NoteCut(const WindowRec& rec, const Region& before);
void NoteHidden(const WindowRec& rec, const Region& before);
void NoteShown(const WindowRec& rec);

// For the X event dispatch (x_events.cpp): an exposure of a window the server paints alone
// needs nothing of Qt once Qt knows the window is on screen.
// One drawn on clear has what the server exposed of its outline filled.
bool ExposureNeedsNoPaint(const xcb_expose_event_t* ev);

// Waiting for the server's exposures: after windows moved, were cut or were
// hidden, the server sends expose events for what they uncovered. A marker
// message the program sends itself after those requests comes back after
// those events, so once Qt has handled the marker it has handled (and
// painted) them all.
//
// Creates the hidden window that carries the marker; call once Qt is up.
void StartExposureMarker();
void StopExposureMarker();
// Queues a marker after the requests made so far (sent with the next flush,
// so that the server answers them in one go).
void SendExposureMarker();
// Runs Qt's event loop until the last marker sent has come back (at most a
// short while, should the server be slow); returns at once without one.
void AwaitExposures();
// The marker's own events, from the X event dispatch: true when the event
// was the marker's.
bool OnExposureMarker(const xcb_client_message_event_t* ev);
bool OnMarkerDestroyed(const xcb_destroy_notify_event_t* ev);

}  // namespace plat::qt
