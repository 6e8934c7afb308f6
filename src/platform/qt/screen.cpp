// The screen the game plays on: twips and pixels, the primary monitor, the
// desktop's work area, and watching them for changes.
#include "platform/qt/screen.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <algorithm>

#include "platform/qt/backend.h"
#include "platform/qt/x11.h"
#include "platform/screen.h"

namespace plat::qt {

int TwipsToPx(double twips) {
  const double px = std::floor(twips / kTwipsPerPixel + 0.5);
  if (!(px == px)) return 0;  // not a number
  constexpr double kMax = 1 << 24;  // far beyond any screen, and exact
  return static_cast<int>(std::fmax(-kMax, std::fmin(kMax, px)));
}

namespace {

// Qt brings its screens up to date a little after the server's event: the
// yields look for so long after one.
constexpr std::int64_t kLookMs = 1000;

bool operator==(const ScreenInfo& a, const ScreenInfo& b) {
  return a.width == b.width && a.height == b.height && a.workArea == b.workArea;
}

const QScreen* Primary() { return Open() ? QGuiApplication::primaryScreen() : nullptr; }

// The desktop's work area on the primary monitor, in game pixels: Qt keeps
// a screen's top-left corner in device pixels and divides the rest.
QRect WorkAreaOnPrimary(const QScreen& screen) {
  const QRect all = screen.geometry();
  const std::optional<Rect> desk = B().workArea;
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

// The part of the primary monitor the game plays on, relative to its
// top-left: the work area, or the whole monitor when the work area leaves
// less than half of it either way (none at all, or a panel gone wrong).
QRect PlayArea(const QScreen& screen) {
  const QRect all = screen.geometry();
  const QRect work = screen.availableGeometry().translated(-all.topLeft()) & WorkAreaOnPrimary(screen);
  const bool absurd = work.width() * 2 < all.width() || work.height() * 2 < all.height();
  return absurd ? QRect(QPoint(), all.size()) : work;
}

}  // namespace

QPoint GameOrigin() {
  const QScreen* screen = Primary();
  return screen ? screen->geometry().topLeft() + QPoint(PlayArea(*screen).left(), 0) : QPoint();
}

int DeviceScale() {
  const QScreen* screen = Primary();
  return screen ? std::max(1, static_cast<int>(std::lround(screen->devicePixelRatio()))) : 1;
}

QPoint DevicePoint(int x, int y) {
  const QScreen* screen = Primary();
  if (!screen) return QPoint(x, y);
  const QPoint monitor = screen->geometry().topLeft();  // device pixels
  return monitor + (GameOrigin() - monitor + QPoint(x, y)) * DeviceScale();
}

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

bool Inside(const Rect& r, const Rect& area) {
  return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

Rect Clipped(const Rect& r, const Rect& area) {
  const Rect out{std::max(r.left, area.left), std::max(r.top, area.top), std::min(r.right, area.right),
                 std::min(r.bottom, area.bottom)};
  return out.Width() > 0 && out.Height() > 0 ? out : Rect{};
}

Rect MonitorInGame() {
  const QScreen* screen = Primary();
  if (!screen) return {};
  const QSize size = screen->geometry().size();
  const int left = -PlayArea(*screen).left();
  return Rect{left, 0, left + size.width(), size.height()};
}

std::optional<Rect> MonitorClip() {
  // The common single monitor first: the screen list is shared, the
  // siblings are built anew each time.
  if (!Open() || QGuiApplication::screens().size() < 2) return std::nullopt;
  const QScreen* screen = Primary();
  if (!screen || screen->virtualSiblings().size() < 2) return std::nullopt;
  return MonitorInGame();
}

void StartWorkAreaWatch() { B().workArea = x11::WorkArea(B().conn, B().root); }

void StopScreenWatch() {
  B().workArea.reset();
  B().screenWatch = {};
}

void NoteScreenMayChange() {
  ScreenWatch& watch = B().screenWatch;
  if (watch.on) watch.lookUntilMs = SteadyMs() + kLookMs;
}

void NoteRootProperty(const xcb_property_notify_event_t* ev) {
  Backend& b = B();
  if (ev->window != b.root) return;
  NoteScreenMayChange();
  if (ev->atom == x11::WorkAreaAtom(b.conn)) b.workArea = x11::WorkArea(b.conn, b.root);
}

void ThrowScreenChange() {
  ScreenWatch& watch = B().screenWatch;
  if (!watch.on || watch.lookUntilMs < 0) return;
  if (SteadyMs() > watch.lookUntilMs) {
    watch.lookUntilMs = -1;
    return;
  }
  if (GetScreen() == watch.screen) return;
  watch.on = false;
  throw ScreenChanged{};
}

}  // namespace plat::qt

namespace plat::qt {

void WatchScreen(bool on) {
  qt::B().screenWatch = {on, -1, on ? GetScreen() : ScreenInfo{}};
}

// Game pixels: column 0 is the work area's left edge, row 0 the monitor's
// top; the work area's bottom is where the game stands.
ScreenInfo GetScreen() {
  const QScreen* screen = qt::Primary();
  if (!screen) return {};
  const QRect play = qt::PlayArea(*screen);
  return ScreenInfo{play.width(), screen->geometry().height(),
                    Rect{0, play.top(), play.width(), play.top() + play.height()}};
}

}  // namespace plat::qt
