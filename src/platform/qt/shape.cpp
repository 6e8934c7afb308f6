// Outlines: the X SHAPE extension for sprite windows, a widget mask for the
// controls inside them, and the compositor that may draw sprites by their
// alpha instead. A sprite window that reaches past the primary monitor onto
// another one is cut at the monitor's edge as well: the game plays on the
// primary monitor only.
#include "platform/qt/shape.h"

#include <QRegion>
#include <QTimer>
#include <xcb/xfixes.h>
#include <xcb/shape.h>

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

// Whether the server shows the window by its outline (SHAPE), not a
// compositor by its alpha.
bool CutToOutline(const WindowRec& rec) {
  return !rec.widget->testAttribute(Qt::WA_TranslucentBackground) || !B().compositing;
}

// Sends the shown part to the server; the server exposes what it uncovers,
// in this window and in those below (painting.h).
void SendShape(WindowRec& rec, const std::optional<Rect>& cut) {
  const auto xid = static_cast<std::uint32_t>(rec.widget->winId());
  if (B().outlinesWatched.insert(xid).second) xcb_shape_select_input(B().conn, xid, 1);
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
  if (!B().compositing) {
    // Made to be drawn by its alpha, but nobody draws it so: the server
    // would show its transparent pixels black. Cut to its outline, it shows
    // what a window of the screen's own depth would.
    x11::SetShape(B().conn, xid, Scaled(shown, DeviceScale()));
    rec.boundingSet = true;
  } else if (cut) {
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
  if (CutToOutline(rec)) x11::SetShape(B().conn, static_cast<std::uint32_t>(rec.widget->winId()), Region());
  PlaceOnServer(rec, server);
}

// The monitor to cut the window at, nullopt when it lies on it.
std::optional<Rect> CutFor(const WindowRec& rec) {
  const std::optional<Rect> monitor = MonitorClip();
  return monitor && !Inside(rec.rect, *monitor) ? monitor : std::nullopt;
}

}  // namespace

// The program's own requests never leave the bounding shape of a window
// it paints reset, nor change the bounding shape of a window drawn by its
// alpha but to cut it at the monitor, nor reset its input shape, nor empty
// it but for a window that lets clicks through.
void OnOutlineChanged(const xcb_generic_event_t* event) {
  const auto* ev = reinterpret_cast<const xcb_shape_notify_event_t*>(event);
  const auto it = B().spriteXids.find(ev->affected_window);
  WindowRec* rec = it == B().spriteXids.end() ? nullptr : FindWindow(it->second);
  if (!rec || !rec->widget || !B().shapeAvailable || ev->response_type & 0x80) return;
  const bool byAlpha = rec->widget->testAttribute(Qt::WA_TranslucentBackground);
  const bool empty = ev->extents_width == 0 || ev->extents_height == 0;
  bool foreign = false;
  if (ev->shape_kind == XCB_SHAPE_SK_BOUNDING) {
    foreign = byAlpha ? ev->shaped != rec->boundingSet : !ev->shaped;
  } else if (ev->shape_kind == XCB_SHAPE_SK_INPUT && byAlpha) {
    foreign = !ev->shaped || (empty && !rec->inputEmptied);
  }
  if (foreign) {
    rec->inputEmptied = false;
    ResendShape(*rec);
  }
}

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

namespace {

// A new owner may take a moment before it draws the windows: it is looked
// at after that moment, and meanwhile believed to draw them.
constexpr int kProbeDelayMs = 2000;

// Every sprite shown anew for the compositor there is or is not now.
void SwitchCompositing(bool on) {
  Backend& b = B();
  if (b.compositing == on) return;
  b.compositing = on;
  for (auto& [id, rec] : b.windows) {
    if (rec.kind != Kind::kSprite || !rec.widget || !rec.widget->testAttribute(Qt::WA_TranslucentBackground)) {
      continue;
    }
    ResendShape(rec);
    if (rec.widget->isVisible()) b.exposing = true;
  }
}

void ProbeCompositor() {
  Backend& b = B();
  if (!b.conn) return;
  SwitchCompositing(x11::HasAlphaVisuals(b.conn, b.root) &&
                    x11::Compositing(b.conn, b.root, b.compositorSelection));
}

bool SelectionOwned() {
  Backend& b = B();
  xcb_get_selection_owner_reply_t* r =
      xcb_get_selection_owner_reply(b.conn, xcb_get_selection_owner(b.conn, b.compositorSelection), nullptr);
  const bool owned = r && r->owner != XCB_NONE;
  std::free(r);
  return owned;
}

void ProbeLater() {
  Backend& b = B();
  if (b.trustCompositorSelection) return;
  if (!b.compositorProbe) {
    b.compositorProbe = std::make_unique<QTimer>();
    b.compositorProbe->setSingleShot(true);
    QObject::connect(b.compositorProbe.get(), &QTimer::timeout, [] { ProbeCompositor(); });
  }
  b.compositorProbe->start(kProbeDelayMs);
}

}  // namespace

void StartCompositorWatch() {
  Backend& b = B();
  b.compositorSelection = x11::CompositorSelection(b.conn, b.root);
  b.selectionOwnerEvent = x11::WatchSelectionOwner(b.conn, b.root, b.compositorSelection);
  b.compositing = x11::HasAlphaVisuals(b.conn, b.root) && SelectionOwned();
  if (b.compositing) ProbeLater();
}

void StopCompositorWatch() {
  Backend& b = B();
  b.compositorProbe.reset();
  b.compositing = false;
  b.selectionOwnerEvent = 0;
}

void OnSelectionOwner(const xcb_generic_event_t* ev) {
  Backend& b = B();
  if (b.selectionOwnerEvent == 0 || (ev->response_type & 0x7f) != b.selectionOwnerEvent) return;
  const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(ev);
  if (notify->selection != b.compositorSelection) return;
  if (notify->owner == XCB_NONE) {
    if (b.compositorProbe) b.compositorProbe->stop();
    return SwitchCompositing(false);
  }
  SwitchCompositing(x11::HasAlphaVisuals(b.conn, b.root));
  ProbeLater();
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
      // (Cut to its outline meanwhile, the window still keeps those pixels
      // right for a compositor to come.)
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
