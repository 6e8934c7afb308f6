// What the server fills and what Qt paints of a sprite window, and waiting
// for the server's exposures.
#include "platform/qt/painting.h"

#include <QCoreApplication>
#include <QTimer>

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/qt/screen.h"
#include "platform/qt/widget.h"
#include "platform/qt/x11.h"

namespace plat::qt {
namespace {

constexpr int kMaxExposureWaitMs = 200;
constexpr char kMarkerName[] = "_ZEMBRANT_EXPOSURE_MARKER";

std::uint32_t Xid(const WindowRec& rec) { return static_cast<std::uint32_t>(rec.widget->winId()); }

// A region's rectangles in device pixels, within `area` when given (device
// pixels too).
std::vector<Rect> OnDevice(const Region& outline, const std::optional<Rect>& area) {
  const int scale = DeviceScale();
  std::vector<Rect> out;
  for (Rect r : outline.Rects()) {
    r = Rect{r.left * scale, r.top * scale, r.right * scale, r.bottom * scale};
    if (area) r = Clipped(r, *area);
    if (r.Width() > 0) out.push_back(r);
  }
  return out;
}

Region OutlineInWindow(const WindowRec& rec) {
  Region outline = rec.outline ? *rec.outline : Region();
  outline.Offset(rec.rect.left - rec.onServer.left, rec.rect.top - rec.onServer.top);
  return outline;
}

std::uint32_t FillPixel(const WindowRec& rec) {
  return 0xff000000u | (RedOf(rec.backColor) << 16) | (GreenOf(rec.backColor) << 8) | BlueOf(rec.backColor);
}

// One context for every 32-bit window of the screen, made on the first.
std::uint32_t FillContext(const WindowRec& rec) {
  Backend& b = B();
  if (b.fillContext == 0) b.fillContext = x11::MakeFillContext(b.conn, Xid(rec));
  return b.fillContext;
}

void FillOutline(const WindowRec& rec, const std::optional<Rect>& area) {
  const std::vector<Rect> rects = OnDevice(OutlineInWindow(rec), area);
  const std::uint32_t gc = FillContext(rec);
  x11::FillRects(B().conn, gc, Xid(rec), FillPixel(rec), rects);
}

// A sprite of a single colour, with no picture, text or control, on a
// screen whose pixels the program can write from a colour.
bool ServerCanPaint(const WindowRec& rec) {
  return B().serverColours && rec.onRootVisual && rec.kind == Kind::kSprite && !rec.picture &&
         rec.texts.empty() && rec.children.empty();
}

std::uint32_t ColourPixel(const WindowRec& rec) {
  return (RedOf(rec.backColor) << 16) | (GreenOf(rec.backColor) << 8) | BlueOf(rec.backColor);
}

bool Shown(const WindowRec& rec) { return rec.widget && rec.widget->isVisible() && !rec.parked; }

bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Whether a rectangle on the screen meets the shape `other` shows.
bool MeetsShape(const WindowRec& other, const Rect& r) {
  if (!Overlap(r, other.rect)) return false;
  if (!other.outline) return true;
  const Rect local{r.left - other.rect.left, r.top - other.rect.top, r.right - other.rect.left,
                   r.bottom - other.rect.top};
  return other.outline->OverlapsRect(local);
}

// Whether `area` (screen shape) meets a shown sprite window other than `rec`
// (only those the program paints itself when `clientPainted`). The area is
// a few rectangles; the other outlines (some have hundreds) are only
// probed, never copied.
bool MeetsOthers(const WindowRec& rec, const Region& area, bool clientPainted) {
  if (area.IsEmpty()) return false;
  const Rect extents = area.Extents();
  const std::vector<Rect> rects = area.Rects();
  for (const auto& [id, other] : B().windows) {
    if (id == rec.id || other.kind != Kind::kSprite || !Shown(other)) continue;
    if (clientPainted && other.painter == Painter::kServerColour) continue;
    if (!Overlap(extents, other.rect)) continue;
    for (const Rect& r : rects) {
      if (MeetsShape(other, r)) return true;
    }
  }
  return false;
}

bool OnPrimaryScreen(const Region& shape) {
  return Inside(shape.Extents(), MonitorInGame());
}

// What `before` had that `after` has not: the server exposes it below.
Region Uncovered(const Region& before, const Region& after) {
  Region out = before;
  out.Subtract(after);
  return out;
}

void NeedPaint() { B().exposing = true; }

// The marker's hidden window: the program's own, not Qt's, so that it is
// told of its destruction.
void CreateMarkerWindow() {
  Backend& b = B();
  b.marker.window = xcb_generate_id(b.conn);
  const std::uint32_t values[] = {1, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
  xcb_create_window(b.conn, XCB_COPY_FROM_PARENT, b.marker.window, b.root, -1, -1, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                    XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
}

}  // namespace

void RedrawOutline(const WindowRec& rec) {
  xcb_clear_area(B().conn, 0, Xid(rec), 0, 0, 0, 0);
  FillOutline(rec, std::nullopt);
}

void RedrawOutlineChange(const WindowRec& rec, const Region& was, const Region& now) {
  Region lost = was;
  lost.Subtract(now);
  Region gained = now;
  gained.Subtract(was);
  x11::ClearRects(B().conn, Xid(rec), OnDevice(lost, std::nullopt));
  x11::FillRects(B().conn, FillContext(rec), Xid(rec), FillPixel(rec), OnDevice(gained, std::nullopt));
}

void ChoosePainter(WindowRec& rec, bool newXWindow) {
  if (newXWindow) {
    rec.painter = Painter::kQt;  // as it starts: no X background
    rec.painterPixel = 0;
  }
  if (rec.kind != Kind::kSprite || !rec.widget) return;
  const Painter want = ServerCanPaint(rec)                       ? Painter::kServerColour
                       : PassesClicks(rec) && rec.argbVisual ? Painter::kOutlineFill
                                                             : Painter::kQt;
  const std::uint32_t pixel = want == Painter::kServerColour ? ColourPixel(rec)
                              : want == Painter::kOutlineFill ? FillPixel(rec)
                                                              : 0;
  if (want == rec.painter && pixel == rec.painterPixel) return;
  const bool newColourOnly = want == rec.painter;
  rec.painter = want;
  rec.painterPixel = pixel;
  const auto xid = static_cast<std::uint32_t>(rec.widget->winId());
  switch (want) {
    case Painter::kOutlineFill: {
      if (newColourOnly) return FillOutline(rec, std::nullopt);
      // The server clears and the program fills the outline from now on; Qt
      // neither paints it nor keeps a picture of it.
      const std::uint32_t clear = 0;
      xcb_change_window_attributes(B().conn, xid, XCB_CW_BACK_PIXEL, &clear);
      RedrawOutline(rec);
      rec.widget->setUpdatesEnabled(false);
      return;
    }
    case Painter::kQt: {
      const std::uint32_t none = XCB_BACK_PIXMAP_NONE;
      xcb_change_window_attributes(B().conn, xid, XCB_CW_BACK_PIXMAP, &none);
      // Qt paints it all again, told first the size the server gave it alone.
      if (rec.sizedOnServer) rec.widget->setGeometry(ToQRect(rec.onServer).translated(GameOrigin()));
      rec.widget->setUpdatesEnabled(true);
      return;
    }
    case Painter::kServerColour:
      // The server alone paints it from now on, in the new colour at once;
      // Qt neither paints it nor keeps a picture of it for the server.
      xcb_change_window_attributes(B().conn, xid, XCB_CW_BACK_PIXEL, &pixel);
      xcb_clear_area(B().conn, 0, xid, 0, 0, 0, 0);
      rec.widget->setUpdatesEnabled(false);
      return;
  }
}

Region ScreenShape(const WindowRec& rec) { return ScreenShapeAt(rec, rec.rect); }

Region ScreenShapeAt(const WindowRec& rec, const Rect& at) {
  Region shape = rec.outline ? *rec.outline : Region(Rect{0, 0, at.Width(), at.Height()});
  shape.Offset(at.left, at.top);
  return shape;
}

// The window's own content moves with it; only what was off the screen or
// under another of the program's windows comes back exposed. (Windows of
// other programs above it are not looked at: what they hid is painted at the
// next yield that asks Qt.)
void NoteMoved(const WindowRec& rec, const Region& before) {
  if (!Shown(rec)) return;
  const Region after = ScreenShape(rec);
  if (MeetsOthers(rec, Uncovered(before, after), true)) return NeedPaint();
  if (rec.painter == Painter::kServerColour) return;
  if (!OnPrimaryScreen(before) || MeetsOthers(rec, before, false)) NeedPaint();
}

// A new outline exposes what it adds; what it takes away uncovers the
// windows below.
void NoteCut(const WindowRec& rec, const Region& before) {
  if (!Shown(rec)) return;
  const Region after = ScreenShape(rec);
  if (MeetsOthers(rec, Uncovered(before, after), true)) return NeedPaint();
  if (rec.painter == Painter::kQt && !Uncovered(after, before).IsEmpty()) NeedPaint();
}

void NoteHidden(const WindowRec& rec, const Region& before) {
  if (MeetsOthers(rec, before, true)) NeedPaint();
}

void NoteShown(const WindowRec& rec) {
  if (rec.painter != Painter::kServerColour) NeedPaint();
}

bool ExposureNeedsNoPaint(const xcb_expose_event_t* ev) {
  const auto it = B().spriteXids.find(ev->window);
  if (it == B().spriteXids.end()) return false;
  const WindowRec* rec = FindWindow(it->second);
  if (!rec || !rec->widget || rec->painter == Painter::kQt) return false;
  if (rec->painter == Painter::kOutlineFill) FillOutline(*rec, Rect{ev->x, ev->y, ev->x + ev->width, ev->y + ev->height});
  const QWindow* window = rec->widget->windowHandle();
  return window && window->isExposed();
}

void StartExposureMarker() {
  Backend& b = B();
  if (b.marker.window != 0) return;
  b.marker = {};
  b.marker.atom = x11::Atom(b.conn, kMarkerName);
  CreateMarkerWindow();
}

void StopExposureMarker() {
  Backend& b = B();
  if (b.marker.window != 0) xcb_destroy_window(b.conn, b.marker.window);
  b.marker = {};
}

// A message to the marker window, which the server hands to its maker
// alone (no event mask): other clients, a compositor among them, hear
// nothing of it, as they would of a property change.
void SendExposureMarker() {
  Backend& b = B();
  if (b.marker.window == 0) return;
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = b.marker.window;
  message.type = b.marker.atom;
  xcb_send_event(b.conn, 0, b.marker.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
  ++b.marker.sent;
}

void AwaitExposures() {
  ExposureMarker& m = B().marker;
  if (m.window == 0 || m.seen >= m.sent) return;
  xcb_flush(B().conn);
  QTimer limit;
  limit.setSingleShot(true);
  bool late = false;
  QObject::connect(&limit, &QTimer::timeout, [&late] { late = true; });
  limit.start(kMaxExposureWaitMs);
  while (m.seen < m.sent && !late) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  m.seen = m.sent;  // one that came too late no longer counts
}

bool OnExposureMarker(const xcb_client_message_event_t* ev) {
  ExposureMarker& m = B().marker;
  if (m.window == 0 || ev->window != m.window || ev->type != m.atom) return false;
  ++m.seen;
  return true;
}

// Another client destroyed it: what was sent is lost, and a new one takes
// its place.
bool OnMarkerDestroyed(const xcb_destroy_notify_event_t* ev) {
  ExposureMarker& m = B().marker;
  if (m.window == 0 || ev->window != m.window) return false;
  m.seen = m.sent;
  CreateMarkerWindow();
  return true;
}

}  // namespace plat::qt
