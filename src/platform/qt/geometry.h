// Twips, pixels and where the game's coordinates sit on the X screen.
#pragma once

#include <QPoint>
#include <QRect>

#include <optional>

#include "platform/types.h"

namespace plat::qt {

// Twips to whole pixels, halves up (10 twips is one pixel).
int TwipsToPx(double twips);

// The top-left corner of the primary monitor (the game's origin), in Qt's
// logical pixels, and the device pixels per logical pixel (a whole number).
QPoint GameOrigin();
int DeviceScale();

QRect ToQRect(const Rect& r);

// The primary monitor in game pixels, when other monitors lie around it:
// sprite windows are cut at its edges so that none spills onto them.
// nullopt when it is the only monitor.
std::optional<Rect> MonitorClip();

}  // namespace plat::qt
