// Outlines: the X SHAPE extension for sprite windows, a widget mask for the
// controls inside them.
#include <QRegion>

#include "platform/qt/backend.h"
#include "platform/qt/geometry.h"
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

}  // namespace
}  // namespace plat::qt

namespace plat {

using namespace plat::qt;

bool SetWindowShape(WindowId w, const Region& outline) {
  WindowRec* rec = FindWindow(w);
  if (!rec || !rec->widget || rec->kind == Kind::kLine) return true;
  Region clipped = outline;
  clipped.Intersect(Region(Rect{0, 0, rec->rect.Width(), rec->rect.Height()}));
  if (rec->kind == Kind::kSprite) {
    // Qt would quietly ignore a mask without SHAPE, and a SHAPE request to a
    // server without it breaks the connection.
    if (!B().shapeAvailable) return false;
    // The server exposes what the new outline uncovers, in this window and
    // in those below; the yield repaints it.
    x11::SetShape(B().conn, static_cast<std::uint32_t>(rec->widget->winId()),
                  Scaled(clipped, DeviceScale()));
    if (rec->widget->isVisible()) B().uncovered = true;
  } else {
    rec->widget->setMask(ToQRegion(clipped));
    MarkChanged(w);
  }
  rec->outline = std::move(clipped);
  return true;
}

}  // namespace plat
