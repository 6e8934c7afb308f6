// Outlines: the X SHAPE extension for sprite windows, a widget mask for the
// controls inside them. A sprite window that reaches past the primary
// monitor onto another one is cut at the monitor's edge as well: the game
// plays on the primary monitor only.
#include <QRegion>

#include <optional>

#include "platform/qt/backend.h"
#include "platform/qt/screen.h"
#include "platform/qt/painting.h"
#include "platform/qt/widget.h"
#include "platform/qt/x11.h"

namespace plat::qt {
namespace {

Region Scaled(const Region& r, int scale) {
  if (scale == 1) return r;
  std::vector<Rect> rects = r.Rects();
  for (Rect& q : rects) q = Rect{q.left * scale, q.top * scale, q.right * scale, q.bottom * scale};
  return Region::FromRects(rects);
}

QRegion ToQRegion(const Region& r) {
  QRegion out;
  for (const Rect& q : r.Rects()) out += ToQRect(q);
  // An empty mask means "no mask" to Qt; one pixel outside hides everything.
  return out.isEmpty() ? QRegion(-1, -1, 1, 1) : out;
}

// The part of the window the server shows: its outline (the whole window
// without one), cut at the monitor when `monitor` is given.
Region ShownPart(const WindowRec& rec, const std::optional<Rect>& monitor) {
  const Rect whole{0, 0, rec.rect.Width(), rec.rect.Height()};
  Region shown = rec.outline ? *rec.outline : Region(whole);
  if (monitor) {
    Region on(*monitor);
    on.Offset(-rec.rect.left, -rec.rect.top);
    shown.Intersect(on);
  }
  return shown;
}

// Sends the shown part to the server; the server exposes what it uncovers,
// in this window and in those below (painting.h).
void SendShape(WindowRec& rec, const std::optional<Rect>& cut) {
  const auto xid = static_cast<std::uint32_t>(rec.widget->winId());
  Region shown = ShownPart(rec, cut);
  shown.Offset(rec.rect.left - rec.onServer.left, rec.rect.top - rec.onServer.top);
  rec.cutAtMonitor = cut.has_value();
  if (!rec.widget->testAttribute(Qt::WA_TranslucentBackground)) {
    x11::SetShape(B().conn, xid, Scaled(shown, DeviceScale()));
    return;
  }
  // Drawn by its alpha: a compositor takes a window's new pixels only inside
  // its bounding shape, so a pixel turned transparent outside a new outline
  // would stay on the screen. The X window shows its whole rectangle (cut at
  // the monitor) and the outline cuts its input. Uncut, the bounding shape
  // is the server's own, which follows the window's size: a compositor
  // hears of one change per new outline, not two.
  if (cut) {
    Region box(Rect{0, 0, rec.onServer.Width(), rec.onServer.Height()});
    Region on(*cut);
    on.Offset(-rec.onServer.left, -rec.onServer.top);
    box.Intersect(on);
    x11::SetShape(B().conn, xid, Scaled(box, DeviceScale()));
    rec.boundingSet = true;
  } else if (rec.boundingSet) {
    x11::ClearShape(B().conn, xid);
    rec.boundingSet = false;
  }
  if (PassesClicks(rec)) {
    if (!rec.inputEmptied) x11::SetShape(B().conn, xid, Region(), true);
    rec.inputEmptied = true;
    return;
  }
  x11::SetShape(B().conn, xid, Scaled(shown, DeviceScale()), true);
  rec.inputEmptied = false;
}

// A new outline that takes the X window elsewhere (ServerRect): emptied
// first, so that the old outline never shows for a moment at the new place.
// (A window drawn by its alpha shows its whole rectangle whatever its
// outline: it is painted anew instead.)
void FollowOutline(WindowRec& rec) {
  const Rect server = ServerRect(rec);
  if (server == rec.onServer) return;
  if (!rec.widget->testAttribute(Qt::WA_TranslucentBackground)) {
    x11::SetShape(B().conn, static_cast<std::uint32_t>(rec.widget->winId()), Region());
  }
  PlaceOnServer(rec, server);
}

// The monitor to cut the window at, nullopt when it lies on it.
std::optional<Rect> CutFor(const WindowRec& rec) {
  const std::optional<Rect> monitor = MonitorClip();
  return monitor && !Inside(rec.rect, *monitor) ? monitor : std::nullopt;
}

}  // namespace

void ResendShape(WindowRec& rec) {
  if (rec.kind == Kind::kSprite && rec.widget && B().shapeAvailable) SendShape(rec, CutFor(rec));
}

void KeepOnMonitor(WindowRec& rec) {
  if (rec.kind != Kind::kSprite || !rec.widget || !B().shapeAvailable) return;
  const std::optional<Rect> cut = CutFor(rec);
  if (!cut && !rec.cutAtMonitor) return;
  SendShape(rec, cut);
  if (rec.widget->isVisible()) B().exposing = true;  // seldom: no closer look
}

}  // namespace plat::qt

namespace plat::qt {

using namespace plat::qt;

std::string ShapeFailureCause() { return "the X server has no SHAPE extension"; }

bool SetWindowShape(WindowId w, const Region& outline) {
  WindowRec* rec = FindWindow(w);
  if (!rec || !rec->widget || rec->kind == Kind::kLine) return true;
  Region clipped = outline;
  clipped.Intersect(Region(Rect{0, 0, rec->rect.Width(), rec->rect.Height()}));
  if (rec->kind == Kind::kSprite) {
    // Qt would quietly ignore a mask without SHAPE, and a SHAPE request to a
    // server without it breaks the connection.
    if (!B().shapeAvailable) return false;
    if (rec->outline == clipped) return true;  // the server has it already
    const Region before = ScreenShape(*rec);
    rec->outline = std::move(clipped);
    FollowOutline(*rec);
    SendShape(*rec, CutFor(*rec));
    NoteCut(*rec, before);
    ChoosePainter(*rec);
    // Drawn by alpha: what the outline gained or lost is painted anew (the
    // rest stays as it is).
    if (rec->widget->testAttribute(Qt::WA_TranslucentBackground)) {
      Region was = before;
      was.Offset(-rec->onServer.left, -rec->onServer.top);
      Region now = *rec->outline;
      now.Offset(rec->rect.left - rec->onServer.left, rec->rect.top - rec->onServer.top);
      if (rec->painter == Painter::kOutlineFill) {
        RedrawOutlineChange(*rec, was, now);
        return true;
      }
      Region kept = was;
      kept.Intersect(now);
      was.Unite(now);
      was.Subtract(kept);
      if (!was.IsEmpty()) {
        B().changed.emplace(w, rec->widget->paints());
        rec->widget->update(ToQRegion(was));
      }
    }
    return true;
  }
  rec->widget->setMask(ToQRegion(clipped));
  MarkChanged(w);
  rec->outline = std::move(clipped);
  return true;
}

}  // namespace plat::qt
