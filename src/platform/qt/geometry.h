// Twips, pixels and where the game's coordinates sit on the X screen.
#pragma once

#include <QPoint>
#include <QRect>

#include "platform/types.h"

namespace plat::qt {

// Twips to whole pixels, halves up (10 twips is one pixel).
int TwipsToPx(double twips);

// The top-left corner of the primary monitor (the game's origin), in Qt's
// logical pixels, and the device pixels per logical pixel (a whole number).
QPoint GameOrigin();
int DeviceScale();

QRect ToQRect(const Rect& r);

}  // namespace plat::qt
