// The screen the game plays on: twips and pixels, where the game's
// coordinates sit on the X screen, the primary monitor, and the desktop's
// work area as the window manager publishes it (_NET_WORKAREA: one
// rectangle over all monitors, in device pixels of the X screen, read at
// the start and again whenever it changes). Qt applies the work area to the
// screen when there is one monitor and leaves it out when there are
// several; the primary monitor's share of it is still where the panels are
// not, so GetScreen applies it itself.
//
// The screen is looked at again only after the server has said something
// that may change it: a root property (the work area), the root's size, an
// extension's event (RandR). Nothing is looked at per frame.
#pragma once

#include <xcb/xcb.h>

#include <QPoint>
#include <QRect>

#include <optional>

#include "platform/types.h"

namespace plat::qt {

// Twips to whole pixels, halves up (10 twips is one pixel).
int TwipsToPx(double twips);

// The game's origin: the primary monitor's top edge and its work area's
// left edge, in Qt's logical pixels; the device pixels per logical pixel (a
// whole number); and where a game pixel lies on the X screen, in device
// pixels.
QPoint GameOrigin();
int DeviceScale();
QPoint DevicePoint(int x, int y);

QRect ToQRect(const Rect& r);
// Whether `r` lies wholly inside `area`; the part of `r` inside `area`
// (empty when they do not meet).
bool Inside(const Rect& r, const Rect& area);
Rect Clipped(const Rect& r, const Rect& area);

// The primary monitor in game pixels.
Rect MonitorInGame();
// The same when other monitors lie around it: sprite windows are cut at its
// edges so that none spills onto them. nullopt when it is the only monitor.
std::optional<Rect> MonitorClip();

// Reads the work area; from then on the root's property changes keep it up
// to date. StopScreenWatch forgets it and the watch of WatchScreen.
void StartWorkAreaWatch();
void StopScreenWatch();

// From the X event dispatch (x_events.cpp): a root property changed, or the
// root's size, or an extension (RandR) told of something.
void NoteRootProperty(const xcb_property_notify_event_t* ev);
void NoteScreenMayChange();
// An extension's event: RandR's news of monitors is read at once.
void NoteExtensionEvent(const xcb_generic_event_t* ev);

// Throws ScreenChanged when the watched screen has changed; called by the
// yield outside handlers and modal windows.
void ThrowScreenChange();

}  // namespace plat::qt
