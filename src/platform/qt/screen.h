// Twips, pixels and where the game's coordinates sit on the X screen.
#pragma once

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

}  // namespace plat::qt
