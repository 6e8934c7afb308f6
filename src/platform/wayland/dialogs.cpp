// The version dialog and the message box: managed windows (xdg_toplevel)
// that the compositor frames, painted with Qt, closed by their button, the
// close box, or Return, Space or Escape.
#include <QFontMetrics>
#include <QPainter>
#include <linux/input-event-codes.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>

#include "platform/dialogs.h"
#include "platform/handler_guard.h"
#include "platform/wayland/modal.h"
#include "platform/wayland/paint.h"
#include "platform/wayland/modal_note.h"

namespace plat::wl {
namespace {

const TextFont kBoxFont{"ＭＳ Ｐゴシック", 9.0, false};
constexpr int kBoxMargin = 16;
constexpr int kButtonWidth = 80, kButtonHeight = 26;

QRect Px(const TwipsRect& r) {
  return QRect(r.left / kTwipsPerPixel, r.top / kTwipsPerPixel, r.width / kTwipsPerPixel, r.height / kTwipsPerPixel);
}

void PaintButton(QPainter& p, const QRect& r, const std::string& text) {
  p.fillRect(r, QColor(225, 225, 225));
  p.setPen(QColor(120, 120, 120));
  p.drawRect(r.adjusted(0, 0, -1, -1));
  p.setPen(Qt::black);
  p.setFont(FontOf(kBoxFont));
  p.drawText(r, Qt::AlignCenter, QString::fromStdString(text));
}

// Shows a window of that size painted by `paint` until its button (at
// `button`), its close box or a key closes it.
void RunBox(const std::string& title, const std::string& text, int width, int height, const QRect& button,
            const std::function<void(QPainter&)>& paint) {
  Backend& b = B();
  // The box has the keyboard while it is open (the stage would take it back
  // on some compositors); the game takes it again after, if it had it.
  const bool hadKeyboard = b.keyboardSurface == b.stage.surface && b.stage.surface;
  b.stage.dialogOpen = true;
  SetStageKeyboard();
  CommitStage();
  ModalSurface box;
  if (!OpenToplevel(box, title, width, height)) {
    b.stage.dialogOpen = false;
    SetStageKeyboard();
    return;
  }
  bool finished = false;
  b.modalPointer = [&](wl_surface* s, double x, double y, std::uint32_t pressed) {
    if (s != box.surface) return true;  // the sprites wait while it is open
    if (pressed == BTN_LEFT && button.contains(static_cast<int>(x), static_cast<int>(y))) finished = true;
    return true;
  };
  b.modalKey = [&](std::uint32_t keysym) {
    if (b.keyboardSurface != box.surface) return false;
    finished = finished || keysym == XKB_KEY_Return || keysym == XKB_KEY_KP_Enter || keysym == XKB_KEY_space ||
               keysym == XKB_KEY_Escape;
    return true;
  };
  const auto draw = [&](QImage& image) {
    image.fill(QColor(240, 240, 240));
    QPainter p(&image);
    paint(p);
  };
  NoteModal(ModalKind::kBox, text, &box, {button});
  RunModalLoop([&] {
    if (!box.shown) Present(box, draw);
    return finished || box.closed;
  });
  NoteModal(ModalKind::kNone, "", nullptr, {});
  b.modalPointer = nullptr;
  b.modalKey = nullptr;
  CloseModal(box);
  b.stage.dialogOpen = false;
  b.stage.keyboardWanted = hadKeyboard;
  SetStageKeyboard();
  CommitStage();
}

}  // namespace
}  // namespace plat::wl

namespace plat::wl {

using namespace plat::wl;

void ShowModalDialog(const DialogLayout& layout) {
  if (!Open()) return;
  ThrowPendingExit();
  const QRect button = Px(layout.buttonRect);
  RunBox(layout.title, layout.title, layout.clientWidth / kTwipsPerPixel, layout.clientHeight / kTwipsPerPixel,
         button, [&](QPainter& p) {
           if (layout.icon && layout.icon->pixels) p.drawImage(Px(layout.iconRect).topLeft(), ImageOf(*layout.icon));
           for (const DialogLabel& label : layout.labels) {
             QFont font = FontOf(label.font);
             p.setFont(font);
             p.setPen(Qt::black);
             p.drawText(Px(label.where), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                        QString::fromStdString(label.text));
           }
           for (const DialogLine& line : layout.lines) {
             p.setPen(ColorOf(line.color));
             p.drawLine(QPointF(line.x1 / kTwipsPerPixel + 0.5, line.y1 / kTwipsPerPixel + 0.5),
                        QPointF(line.x2 / kTwipsPerPixel + 0.5, line.y2 / kTwipsPerPixel + 0.5));
           }
           PaintButton(p, button, layout.buttonText);
         });
  ThrowPendingExit();
}

void ShowMessageBox(const std::string& text) {
  if (!Open()) return;
  const bool exitBefore = ExitPending();
  const QFontMetrics metrics(FontOf(kBoxFont));
  const QRect textRect = metrics.boundingRect(QRect(0, 0, 600, 2000), Qt::TextWordWrap, QString::fromStdString(text));
  const int width = std::max(220, textRect.width() + 2 * kBoxMargin);
  const int height = textRect.height() + 3 * kBoxMargin + kButtonHeight;
  const QRect button((width - kButtonWidth) / 2, height - kBoxMargin - kButtonHeight, kButtonWidth, kButtonHeight);
  RunBox("Zembrant", text, width, height, button, [&](QPainter& p) {
    p.setFont(FontOf(kBoxFont));
    p.setPen(Qt::black);
    p.drawText(QRect(kBoxMargin, kBoxMargin, width - 2 * kBoxMargin, textRect.height()), Qt::TextWordWrap,
               QString::fromStdString(text));
    PaintButton(p, button, "OK");
  });
  if (!exitBefore) ThrowPendingExit();
}

}  // namespace plat::wl
