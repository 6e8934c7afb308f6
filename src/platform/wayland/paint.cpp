// Painting sprites, pictures and text with Qt's raster engine.
#include "platform/wayland/paint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/qt_image.h"
#include "platform/window.h"

namespace plat::wl {
const QImage& ImageOf(const Picture& picture) {
  static std::map<const Picture*, QImage> cache;
  auto it = cache.find(&picture);
  if (it != cache.end()) return it->second;
  return cache.emplace(&picture, ToQImage(picture)).first->second;
}

namespace {

QRegion ToQRegion(const Region& region) {
  QRegion out;
  for (const Rect& r : region.Rects()) out += QRect(r.left, r.top, r.Width(), r.Height());
  return out;
}

void DrawText(QPainter& p, int x, int y, const std::string& text, const TextFont& wanted, Color c) {
  QFont font = FontOf(wanted);
  font.setStyleStrategy(QFont::NoAntialias);  // crisp glyphs inside crisp outlines
  p.setFont(font);
  p.setPen(ColorOf(c));
  p.drawText(QPoint(x, y + QFontMetrics(font).ascent()), QString::fromStdString(text));
}

// A line one pixel wide through the middles of its pixels, both ends included.
void PaintLine(QPainter& p, const WindowRec& line) {
  p.setPen(QPen(ColorOf(line.lineColor), 1, Qt::SolidLine, Qt::SquareCap));
  p.drawLine(QPointF(line.x1 + 0.5, line.y1 + 0.5), QPointF(line.x2 + 0.5, line.y2 + 0.5));
}

// A window or control and its shown controls; the painter's origin is its
// top-left and its clip what of it shows.
void PaintTree(QPainter& p, const WindowRec& rec) {
  const QRect all(0, 0, rec.rect.Width(), rec.rect.Height());
  if (rec.kind != Kind::kLabel || rec.backColorSet) p.fillRect(all, ColorOf(rec.backColor));
  if (rec.picture && rec.picture->pixels) p.drawImage(0, 0, ImageOf(*rec.picture));
  for (const PrintedText& t : rec.texts) DrawText(p, t.x, t.y, t.text, t.font, t.color);
  if (!rec.caption.empty()) DrawText(p, 0, 0, rec.caption, rec.captionFont, rec.captionColor);
  for (WindowId id : rec.children) {
    const WindowRec* child = FindWindow(id);
    if (!child || !child->visible) continue;
    p.save();
    if (child->kind == Kind::kLine) {
      PaintLine(p, *child);
    } else {
      p.translate(child->rect.left, child->rect.top);
      QRegion clip(0, 0, child->rect.Width(), child->rect.Height());
      if (child->outline) clip &= ToQRegion(*child->outline);
      p.setClipRegion(clip, Qt::IntersectClip);
      PaintTree(p, *child);
    }
    p.restore();
  }
}

}  // namespace

QColor ColorOf(Color c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

void PaintSprite(const WindowRec& sprite, const Rect& origin, QImage& into) {
  into.fill(Qt::transparent);
  QPainter p(&into);
  p.translate(-origin.left, -origin.top);
  QRegion clip(0, 0, sprite.rect.Width(), sprite.rect.Height());
  if (sprite.outline) clip &= ToQRegion(*sprite.outline);
  p.setClipRegion(clip);
  PaintTree(p, sprite);
}

void InstallFontSubstitutes() {
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
  QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
}

QFont FontOf(const TextFont& wanted) {
  QFont font(QString::fromStdString(wanted.family));
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(wanted.pointSize * 96.0 / 72.0))));
  font.setBold(wanted.bold);
  return font;
}

}  // namespace plat::wl

namespace plat::wl {

int TextWidthPx(const TextFont& font, std::string_view utf8) {
  if (!wl::Open()) return 0;
  const QFontMetrics metrics(wl::FontOf(font));
  return metrics.horizontalAdvance(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

}  // namespace plat::wl
