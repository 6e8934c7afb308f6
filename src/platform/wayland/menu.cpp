// The popup menu: an xdg_popup of the sprite the pointer is on, opened where
// the pointer is, with an explicit grab (a click elsewhere closes it).
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

constexpr int kItemHeight = 22;
constexpr int kSeparatorHeight = 9;
constexpr int kPadding = 4;     // around the items
constexpr int kTextIndent = 24;  // of the captions, on both sides
const TextFont kMenuFont{"ＭＳ Ｐゴシック", 9.0, false};

struct Layout {
  std::vector<QRect> items;  // in the menu's pixels, one per item
  int width = 0, height = 0;
};

Layout LayOut(std::span<const MenuItem> items) {
  Layout l;
  const QFontMetrics metrics(FontOf(kMenuFont));
  int widest = 0;
  for (const MenuItem& item : items) widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(item.caption)));
  l.width = widest + 2 * kTextIndent + 2 * kPadding;
  int y = kPadding;
  for (const MenuItem& item : items) {
    const int h = item.separator ? kSeparatorHeight : kItemHeight;
    l.items.emplace_back(kPadding, y, l.width - 2 * kPadding, h);
    y += h;
  }
  l.height = y + kPadding;
  return l;
}

void Paint(QImage& image, std::span<const MenuItem> items, const Layout& l, int hot) {
  image.fill(QColor(240, 240, 240));
  QPainter p(&image);
  p.setPen(QColor(160, 160, 160));
  p.drawRect(0, 0, l.width - 1, l.height - 1);
  p.setFont(FontOf(kMenuFont));
  for (std::size_t i = 0; i < items.size(); ++i) {
    const QRect& r = l.items[i];
    if (items[i].separator) {
      p.setPen(QColor(200, 200, 200));
      p.drawLine(r.left() + 2, r.center().y(), r.right() - 2, r.center().y());
      continue;
    }
    const bool isHot = static_cast<int>(i) == hot;
    if (isHot) p.fillRect(r, QColor(48, 96, 192));
    p.setPen(isHot ? Qt::white : Qt::black);
    p.drawText(r.adjusted(kTextIndent, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
               QString::fromStdString(items[i].caption));
  }
}

// The item at (x, y) of the menu that can be chosen, -1 for none.
int ItemAt(std::span<const MenuItem> items, const Layout& l, double x, double y) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!items[i].separator && l.items[i].contains(static_cast<int>(x), static_cast<int>(y))) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace
}  // namespace plat::wl

namespace plat::wl {

using namespace plat::wl;

int PopupMenu(std::span<const MenuItem> items) {
  Backend& b = B();
  if (!Open()) return -1;
  ThrowPendingExit();
  if (items.empty()) return -1;
  const Layout layout = LayOut(items);
  // At the pointer when it is over the game, else at the top-left.
  const bool over = b.pointerSurface == b.stage.surface && b.stage.surface;
  const int x = over ? static_cast<int>(b.pointerX) : 0, y = over ? static_cast<int>(b.pointerY) : 0;
  ModalSurface menu;
  if (!OpenPopup(menu, x, y, layout.width, layout.height)) return -1;
  int hot = -1, chosen = -1;
  bool finished = false;
  const auto paint = [&](QImage& image) { Paint(image, items, layout, hot); };
  b.modalMotion = [&](wl_surface* s) {
    const int now = s == menu.surface ? ItemAt(items, layout, b.pointerX, b.pointerY) : -1;
    if (now != hot) {
      hot = now;
      Present(menu, paint);
    }
  };
  b.modalPointer = [&](wl_surface* s, double px, double py, std::uint32_t button) {
    if (s != menu.surface) return false;  // the compositor closes the menu
    if (button == BTN_LEFT || button == BTN_RIGHT) {
      chosen = ItemAt(items, layout, px, py);
      finished = chosen >= 0;
    }
    return true;
  };
  b.modalKey = [&](std::uint32_t keysym) {
    if (keysym == XKB_KEY_Escape) finished = true;
    if ((keysym == XKB_KEY_Return || keysym == XKB_KEY_KP_Enter) && hot >= 0) {
      chosen = hot;
      finished = true;
    }
    return true;
  };
  NoteModal(ModalKind::kMenu, "", &menu, layout.items);
  RunModalLoop([&] {
    if (!menu.shown) Present(menu, paint);
    return finished || menu.closed;
  });
  NoteModal(ModalKind::kNone, "", nullptr, {});
  b.modalMotion = nullptr;
  b.modalPointer = nullptr;
  b.modalKey = nullptr;
  CloseModal(menu);
  ThrowPendingExit();
  return finished ? chosen : -1;
}

}  // namespace plat::wl
