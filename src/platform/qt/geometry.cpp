// Twips, pixels and where the game's coordinates sit on the X screen.
#include "platform/qt/geometry.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <algorithm>

#include "platform/qt/backend.h"
#include "platform/screen.h"

namespace plat::qt {

int TwipsToPx(double twips) {
  const double px = std::floor(twips / kTwipsPerPixel + 0.5);
  if (!(px == px)) return 0;  // not a number
  constexpr double kMax = 1 << 24;  // far beyond any screen, and exact
  return static_cast<int>(std::fmax(-kMax, std::fmin(kMax, px)));
}

QPoint GameOrigin() {
  const QScreen* screen = Open() ? QGuiApplication::primaryScreen() : nullptr;
  return screen ? screen->geometry().topLeft() : QPoint();
}

int DeviceScale() {
  const QScreen* screen = Open() ? QGuiApplication::primaryScreen() : nullptr;
  return screen ? std::max(1, static_cast<int>(std::lround(screen->devicePixelRatio()))) : 1;
}

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

}  // namespace plat::qt

namespace plat {

ScreenInfo GetScreen() {
  const QScreen* screen = qt::Open() ? QGuiApplication::primaryScreen() : nullptr;
  if (!screen) return {};
  const QRect all = screen->geometry();
  const QRect work = screen->availableGeometry().translated(-all.topLeft());
  return ScreenInfo{all.width(), all.height(),
                    Rect{work.left(), work.top(), work.left() + work.width(), work.top() + work.height()}};
}

}  // namespace plat
