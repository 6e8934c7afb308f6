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
// No event tells of a monitor set or removed (xrandr --setmonitor) here:
// the monitors are read again this often while the screen is watched.
constexpr std::int64_t kMonitorPollMs = 1000;

bool operator==(const ScreenInfo& a, const ScreenInfo& b) {
  return a.width == b.width && a.height == b.height && a.workArea == b.workArea;
}

const QScreen* Primary() { return Open() ? QGuiApplication::primaryScreen() : nullptr; }

// The primary monitor as Qt gives a screen's geometry: its top-left corner
// in device pixels, its size in game pixels. RandR's own word where the
// server has one: Qt may keep a monitor's old place and size after a change.
QRect Geometry(const QScreen& screen) {
  const std::optional<Rect>& m = B().primaryMonitor;
  if (!m) return screen.geometry();
  const int scale = DeviceScale();
  return QRect(m->left, m->top, m->Width() / scale, m->Height() / scale);
}

// The desktop's work area on the primary monitor, in game pixels: Qt keeps
// a screen's top-left corner in device pixels and divides the rest.
QRect WorkAreaOnPrimary(const QScreen& screen) {
  const QRect all = Geometry(screen);
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
  const QRect all = Geometry(screen);
  // (Qt's own idea of the work area is the root's property too.)
  const QRect qtWork = B().primaryMonitor ? QRect(QPoint(), all.size())
                                          : screen.availableGeometry().translated(-all.topLeft());
  const QRect work = qtWork & WorkAreaOnPrimary(screen);
  const bool absurd = work.width() * 2 < all.width() || work.height() * 2 < all.height();
  return absurd ? QRect(QPoint(), all.size()) : work;
}

}  // namespace

QPoint GameOrigin() {
  const QScreen* screen = Primary();
  return screen ? Geometry(*screen).topLeft() + QPoint(PlayArea(*screen).left(), 0) : QPoint();
}

int DeviceScale() {
  const QScreen* screen = Primary();
  return screen ? std::max(1, static_cast<int>(std::lround(screen->devicePixelRatio()))) : 1;
}

QPoint DevicePoint(int x, int y) {
  const QScreen* screen = Primary();
  if (!screen) return QPoint(x, y);
  const QPoint monitor = Geometry(*screen).topLeft();  // device pixels
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
  const QSize size = Geometry(*screen).size();
  const int left = -PlayArea(*screen).left();
  return Rect{left, 0, left + size.width(), size.height()};
}

std::optional<Rect> MonitorClip() {
  // The common single monitor first: the screen list is shared, the
  // siblings are built anew each time.
  if (B().primaryMonitor) return B().monitorCount >= 2 ? std::optional<Rect>(MonitorInGame()) : std::nullopt;
  if (!Open() || QGuiApplication::screens().size() < 2) return std::nullopt;
  const QScreen* screen = Primary();
  if (!screen || screen->virtualSiblings().size() < 2) return std::nullopt;
  return MonitorInGame();
}

namespace {

// Returns whether they changed.
bool ReadMonitors() {
  Backend& b = B();
  const std::optional<x11::Monitors> m = x11::ReadMonitors(b.conn, b.root);
  const std::optional<Rect> primary = m ? std::optional<Rect>(m->primary) : std::nullopt;
  const int count = m ? m->count : 0;
  const bool changed = primary != b.primaryMonitor || count != b.monitorCount;
  b.primaryMonitor = primary;
  b.monitorCount = count;
  return changed;
}

void PollMonitors() {
  ScreenWatch& watch = B().screenWatch;
  const std::int64_t now = SteadyMs();
  if (now < watch.nextMonitorPollMs) return;
  watch.nextMonitorPollMs = now + kMonitorPollMs;
  if (ReadMonitors()) NoteScreenMayChange();
}

}  // namespace

void StartWorkAreaWatch() {
  B().workArea = x11::WorkArea(B().conn, B().root);
  ReadMonitors();
}

void NoteExtensionEvent(const xcb_generic_event_t* ev) {
  if (!x11::IsRandrEvent(B().conn, ev->response_type)) return;
  ReadMonitors();
  NoteScreenMayChange();
}

void StopScreenWatch() {
  B().workArea.reset();
  B().primaryMonitor.reset();
  B().screenWatch = {};
}

void NoteScreenMayChange() {
  // Looked for even between two watches: a change that Qt takes in after
  // the next watch began is still seen.
  B().screenWatch.lookUntilMs = SteadyMs() + kLookMs;
}

void NoteRootProperty(const xcb_property_notify_event_t* ev) {
  Backend& b = B();
  if (ev->window != b.root) return;
  NoteScreenMayChange();
  if (ev->atom == x11::WorkAreaAtom(b.conn)) b.workArea = x11::WorkArea(b.conn, b.root);
}

void ThrowScreenChange() {
  ScreenWatch& watch = B().screenWatch;
  if (!watch.on) return;
  PollMonitors();
  if (watch.lookUntilMs < 0) return;
  if (SteadyMs() > watch.lookUntilMs) {
    watch.lookUntilMs = -1;
    return;
  }
  if (GetScreen() == watch.screen && GameOrigin() == watch.origin && DeviceScale() == watch.scale) return;
  watch.on = false;
  // The sprites the game does not move again (as they stand where they
  // stood in the game's pixels) go to the new place too.
  if (GameOrigin() != watch.origin) ReplaceSprites();
  throw ScreenChanged{};
}

}  // namespace plat::qt

namespace plat::qt {

void WatchScreen(bool on) {
  qt::ScreenWatch& watch = qt::B().screenWatch;
  watch = {on, on ? watch.lookUntilMs : -1, on ? GetScreen() : ScreenInfo{}, qt::GameOrigin(), qt::DeviceScale(),
           watch.nextMonitorPollMs};
}

// Game pixels: column 0 is the work area's left edge, row 0 the monitor's
// top; the work area's bottom is where the game stands.
ScreenInfo GetScreen() {
  const QScreen* screen = qt::Primary();
  if (!screen) return {};
  const QRect play = qt::PlayArea(*screen);
  return ScreenInfo{play.width(), qt::Geometry(*screen).height(),
                    Rect{0, play.top(), play.width(), play.top() + play.height()}};
}

}  // namespace plat::qt
