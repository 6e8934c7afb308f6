// Twips, pixels and where the game's coordinates sit on the X screen.
#include "platform/qt/geometry.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <algorithm>

#include "platform/qt/backend.h"
#include "platform/qt/work_area.h"
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

std::optional<Rect> MonitorClip() {
  // The common single monitor first: the screen list is shared, the
  // siblings are built anew each time.
  if (!Open() || QGuiApplication::screens().size() < 2) return std::nullopt;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen || screen->virtualSiblings().size() < 2) return std::nullopt;
  const QSize size = screen->geometry().size();
  return Rect{0, 0, size.width(), size.height()};
}

namespace {

// The desktop's work area on the primary monitor, in game pixels: Qt keeps
// a screen's top-left corner in device pixels and divides the rest.
QRect WorkAreaOnPrimary(const QScreen& screen) {
  const QRect all = screen.geometry();
  const std::optional<Rect> desk = DesktopWorkArea();
  if (!desk) return QRect(QPoint(), all.size());
  const double scale = DeviceScale();
  const QPoint origin = all.topLeft();
  // The whole game pixels inside it.
  const auto up = [scale](int v) { return static_cast<int>(std::ceil(v / scale)); };
  const auto down = [scale](int v) { return static_cast<int>(std::floor(v / scale)); };
  const QRect work(QPoint(up(desk->left - origin.x()), up(desk->top - origin.y())),
                   QPoint(down(desk->right - origin.x()) - 1, down(desk->bottom - origin.y()) - 1));
  return work & QRect(QPoint(), all.size());
}

}  // namespace

}  // namespace plat::qt

namespace plat {

ScreenInfo GetScreen() {
  const QScreen* screen = qt::Open() ? QGuiApplication::primaryScreen() : nullptr;
  if (!screen) return {};
  const QRect all = screen->geometry();
  const QRect work = screen->availableGeometry().translated(-all.topLeft()) &
                     qt::WorkAreaOnPrimary(*screen);
  return ScreenInfo{all.width(), all.height(),
                    Rect{work.left(), work.top(), work.left() + work.width(), work.top() + work.height()}};
}

}  // namespace plat
