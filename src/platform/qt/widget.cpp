// The widget behind every sprite window and control.
#include "platform/qt/widget.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>

#include <map>
#include <optional>

#include "platform/qt_image.h"
#include "platform/qt/fonts.h"
#include "platform/qt/wayland_focus.h"

namespace plat::qt {
namespace {

int ButtonCode(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return kLeftButton;
    case Qt::RightButton: return kRightButton;
    case Qt::MiddleButton: return kMiddleButton;
    default: return 0;
  }
}

void DrawText(QPainter& p, int x, int y, const std::string& text, const TextFont& wanted, Color c) {
  // Crisp glyphs inside the crisp outlines, where the font has them.
  QFont font = FontOf(wanted);
  font.setStyleStrategy(QFont::NoAntialias);
  p.setFont(font);
  p.setPen(ColorOf(c));
  // The position is the top-left of the text, as the game prints it.
  p.drawText(QPoint(x, y + QFontMetrics(font).ascent()), QString::fromStdString(text));
}

}  // namespace

QColor ColorOf(Color c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

const QImage& ImageOf(const Picture& picture) {
  std::map<const Picture*, QImage>& cache = B().images;
  auto it = cache.find(&picture);
  if (it != cache.end()) return it->second;
  return cache.emplace(&picture, ToQImage(picture)).first->second;
}

Widget::Widget(WindowId id, Kind kind, QWidget* parent) : QWidget(parent), id_(id), kind_(kind) {
  setAttribute(Qt::WA_OpaquePaintEvent, kind == Kind::kSprite || kind == Kind::kPictureBox);
  setAttribute(Qt::WA_TransparentForMouseEvents, kind == Kind::kLine);
  setFocusPolicy(Qt::NoFocus);
}

void Widget::paintEvent(QPaintEvent*) {
  ++paints_;
  const WindowRec* rec = FindWindow(id_);
  if (!rec) return;
  if (kind_ == Kind::kLine) {
    PaintLine(*rec);
  } else {
    PaintWindow(*rec);
  }
}

// A line one pixel wide through the middles of its pixels, both ends
// included: whole pixels at any scale (at the pixels' edges, a scaled
// painter would draw half of it).
void Widget::PaintLine(const WindowRec& rec) {
  QPainter p(this);
  p.setPen(QPen(ColorOf(rec.lineColor), 1, Qt::SolidLine, Qt::SquareCap));
  const QPointF origin(rec.rect.left - 0.5, rec.rect.top - 0.5);
  p.drawLine(QPointF(rec.x1, rec.y1) - origin, QPointF(rec.x2, rec.y2) - origin);
}

namespace {

// A control of a window drawn by its alpha paints inside the window's
// outline only, as the server would show it cut by the outline (SHAPE):
// the part of the outline it covers, in its own pixels; nullopt when
// nothing cuts it.
std::optional<QRegion> OutlineOverControl(const WindowRec& rec, const QWidget& control) {
  const WindowRec* top = TopLevelOf(rec.id);
  if (!top || top == &rec || !top->outline || !top->widget ||
      !top->widget->testAttribute(Qt::WA_TranslucentBackground)) {
    return std::nullopt;
  }
  QRegion inside;
  for (const Rect& r : top->outline->Rects()) inside += QRect(r.left, r.top, r.Width(), r.Height());
  const QPoint at = control.mapTo(top->widget.data(), QPoint(0, 0));
  const QPoint outlineAt(top->rect.left - top->onServer.left, top->rect.top - top->onServer.top);
  return inside.translated(outlineAt - at);
}

}  // namespace

void Widget::PaintWindow(const WindowRec& rec) {
  QPainter p(this);
  if (const std::optional<QRegion> inside = OutlineOverControl(rec, *this)) {
    if (testAttribute(Qt::WA_OpaquePaintEvent)) {
      // Nothing is painted below it: what lies outside turns transparent.
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.fillRect(rect(), Qt::transparent);
      p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    p.setClipRegion(*inside);
  }
  if (rec.outline && testAttribute(Qt::WA_TranslucentBackground)) {
    // Only the outline is painted; the rest turns transparent.
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QPoint at(rec.rect.left - rec.onServer.left, rec.rect.top - rec.onServer.top);
    QRegion inside;
    for (const Rect& r : rec.outline->Rects()) inside += QRect(r.left, r.top, r.Width(), r.Height());
    p.setClipRegion(inside.translated(at));
  }
  if (kind_ != Kind::kLabel || rec.backColorSet) p.fillRect(rect(), ColorOf(rec.backColor));
  // The X window may cover only part of the sprite's rectangle (ServerRect).
  if (kind_ == Kind::kSprite) p.translate(rec.rect.left - rec.onServer.left, rec.rect.top - rec.onServer.top);
  if (rec.picture && rec.picture->pixels) p.drawImage(0, 0, ImageOf(*rec.picture));
  for (const PrintedText& t : rec.texts) DrawText(p, t.x, t.y, t.text, t.font, t.color);
  if (!rec.caption.empty()) DrawText(p, 0, 0, rec.caption, rec.captionFont, rec.captionColor);
}

void Widget::mousePressEvent(QMouseEvent* event) {
  event->accept();
  const int button = ButtonCode(event->button());
  if (button == 0) return;
  if (event->button() == Qt::LeftButton) TakeKeyboardOnClick();
  const QPoint at = event->position().toPoint();
  const WindowId id = id_;
  Dispatch([id, button, at] {
    const WindowRec* rec = FindWindow(id);
    if (!rec || !rec->onMouseDown) return;
    const MouseDownHandler handler = rec->onMouseDown;  // may destroy the window
    handler(button, at.x(), at.y());
  });
}

// The second press of a double click comes as a double click; to the game
// it is one more press.
void Widget::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

bool Widget::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && kind_ == Kind::kSprite) {
    const WindowId id = id_;
    Dispatch([id] {
      const WindowRec* rec = FindWindow(id);
      if (!rec || !rec->onGotFocus) return;
      const std::function<void()> handler = rec->onGotFocus;
      handler();
    });
  }
  return QWidget::event(event);
}

}  // namespace plat::qt
