#include "platform/qt/screen_changes.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <xcb/xcb.h>

#include <vector>

#include "platform/qt/geometry.h"
#include "platform/qt/widget.h"

namespace plat::qt {
namespace {

constexpr std::int64_t kNoBackground = -1;

bool Shown(const WindowRec& rec) { return rec.widget && rec.widget->isVisible(); }

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
// a few rectangles; the other outlines (the scenery's has hundreds) are only
// probed, never copied.
bool MeetsOthers(const WindowRec& rec, const Region& area, bool clientPainted) {
  if (area.IsEmpty()) return false;
  const Rect extents = area.Extents();
  const std::vector<Rect> rects = area.Rects();
  for (const auto& [id, other] : B().windows) {
    if (id == rec.id || other.kind != Kind::kSprite || !Shown(other)) continue;
    if (clientPainted && PaintedByServer(other)) continue;
    if (!Overlap(extents, other.rect)) continue;
    for (const Rect& r : rects) {
      if (MeetsShape(other, r)) return true;
    }
  }
  return false;
}

bool OnPrimaryScreen(const Region& shape) {
  const Rect e = shape.Extents();
  const Rect m = MonitorInGame();
  return e.left >= m.left && e.top >= m.top && e.right <= m.right && e.bottom <= m.bottom;
}

// What `before` had that `after` has not: the server exposes it below.
Region Uncovered(const Region& before, const Region& after) {
  Region out = before;
  out.Subtract(after);
  return out;
}

void NeedPaint() { B().exposing = true; }

}  // namespace

bool PaintedByServer(const WindowRec& rec) {
  return B().serverColours && rec.onRootVisual && rec.kind == Kind::kSprite && !rec.picture &&
         rec.texts.empty() && rec.children.empty();
}

bool FilledByServer(const WindowRec& rec) { return PaintedByServer(rec) && rec.serverBackground >= 0; }

void UpdateServerBackground(WindowRec& rec) {
  if (rec.kind != Kind::kSprite || !rec.widget) return;
  const std::int64_t want =
      PaintedByServer(rec)
          ? static_cast<std::int64_t>((RedOf(rec.backColor) << 16) | (GreenOf(rec.backColor) << 8) |
                                      BlueOf(rec.backColor))
          : kNoBackground;
  if (want == rec.serverBackground) return;
  rec.serverBackground = want;
  const auto xid = static_cast<std::uint32_t>(rec.widget->winId());
  if (want == kNoBackground) {
    const std::uint32_t none = XCB_BACK_PIXMAP_NONE;
    xcb_change_window_attributes(B().conn, xid, XCB_CW_BACK_PIXMAP, &none);
    // Qt paints it all again, told first the size the server gave it alone.
    if (rec.sizedOnServer) rec.widget->setGeometry(ToQRect(rec.onServer).translated(GameOrigin()));
    rec.widget->setUpdatesEnabled(true);
  } else {
    // The server alone paints it from now on, in the new colour at once;
    // Qt neither paints it nor keeps a picture of it for the server.
    const auto pixel = static_cast<std::uint32_t>(want);
    xcb_change_window_attributes(B().conn, xid, XCB_CW_BACK_PIXEL, &pixel);
    xcb_clear_area(B().conn, 0, xid, 0, 0, 0, 0);
    rec.widget->setUpdatesEnabled(false);
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
  if (PaintedByServer(rec)) return;
  if (!OnPrimaryScreen(before) || MeetsOthers(rec, before, false)) NeedPaint();
}

// A new outline exposes what it adds; what it takes away uncovers the
// windows below.
void NoteCut(const WindowRec& rec, const Region& before) {
  if (!Shown(rec)) return;
  const Region after = ScreenShape(rec);
  if (MeetsOthers(rec, Uncovered(before, after), true)) return NeedPaint();
  if (!PaintedByServer(rec) && !Uncovered(after, before).IsEmpty()) NeedPaint();
}

void NoteHidden(const WindowRec& rec, const Region& before) {
  if (MeetsOthers(rec, before, true)) NeedPaint();
}

void NoteShown(const WindowRec& rec) {
  if (!PaintedByServer(rec)) NeedPaint();
}

bool ExposureNeedsNoPaint(std::uint32_t xid) {
  const auto it = B().spriteXids.find(xid);
  if (it == B().spriteXids.end()) return false;
  const WindowRec* rec = FindWindow(it->second);
  if (!rec || !PaintedByServer(*rec) || rec->serverBackground < 0 || !rec->widget) return false;
  const QWindow* window = rec->widget->windowHandle();
  return window && window->isExposed();
}

}  // namespace plat::qt
