// Modal windows: the popup menu, the version dialog and the message box.
// Their nested event loops keep the window timers ticking; when a handler
// ends the program meanwhile, they close and the exit reaches the game.
#include "platform/dialogs.h"

#include <algorithm>

#include <QAction>
#include <QCursor>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <xcb/xcb.h>

#include "platform/handler_guard.h"
#include "platform/qt/backend.h"
#include "platform/qt/fonts.h"
#include "platform/qt/screen.h"
#include "platform/qt/widget.h"
#include "platform/qt/x11.h"

namespace plat::qt {
namespace {

// Registers a modal window for as long as its loop runs.
class ModalScope {
 public:
  explicit ModalScope(QWidget* w) {
    ++B().modalDepth;
    B().modals.emplace_back(w);
    const auto xid = static_cast<std::uint32_t>(w->winId());
    x11::SetWmClass(B().conn, xid);
    // Dialogs are transient for the program's leader window (Qt's doing):
    // it carries the program's class too.
    if (const std::uint32_t leader = x11::ClientLeader(B().conn, xid)) {
      x11::SetWmClass(B().conn, leader);
    }
    focusBefore_ = x11::InputFocus(B().conn);
    TakeKeysAtTheFocus();
  }
  ~ModalScope() {
    if (keysAt_ && B().spriteXids.count(keysAt_)) x11::SelectKeyEvents(B().conn, keysAt_, false);
    GiveTheFocusBack();
    B().modals.pop_back();
    --B().modalDepth;
  }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  // Until the menu has grabbed the keyboard (a moment after it is mapped, or
  // never when another program holds it), keys go to the window with the
  // focus. When that is a sprite (the window the game focuses), it takes key events while the
  // menu is open, and Qt hands them to the menu: none is lost.
  // With the focus on no program's window (it falls back to the root when
  // a dialog of ours closes), the sprite the game gave it to takes it back.
  void TakeKeysAtTheFocus() {
    std::uint32_t focus = x11::InputFocus(B().conn);
    const bool nobodys = focus == XCB_NONE || focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus == B().root;
    const WindowRec* given = FindWindow(B().focusGiven);
    if (nobodys && given && given->widget && given->widget->isVisible()) {
      focus = static_cast<std::uint32_t>(given->widget->winId());
      x11::Focus(B().conn, focus);
    }
    if (!B().spriteXids.count(focus)) return;
    keysAt_ = focus;
    x11::SelectKeyEvents(B().conn, keysAt_, true);
  }

  // A dialog that took the focus leaves it to the root when it closes:
  // without a window manager to pass it on, the window that had it before
  // (the player's terminal) would be left without the keyboard. The window
  // hid before this runs, and the server has reverted the focus already.
  void GiveTheFocusBack() {
    if (Nobodys(focusBefore_) || !Nobodys(x11::InputFocus(B().conn))) return;
    if (x11::Viewable(B().conn, focusBefore_)) x11::Focus(B().conn, focusBefore_);
  }
  bool Nobodys(std::uint32_t focus) const {
    return focus == XCB_NONE || focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus == B().root;
  }

  std::uint32_t keysAt_ = 0;
  std::uint32_t focusBefore_ = XCB_NONE;
};

QRect PxRect(const TwipsRect& r) {
  return QRect(TwipsToPx(r.left), TwipsToPx(r.top), TwipsToPx(r.width), TwipsToPx(r.height));
}

// The dialog draws its icon and separator lines itself; labels and the
// button are widgets.
class Dialog : public QDialog {
 public:
  explicit Dialog(const DialogLayout& layout) : layout_(layout) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromStdString(layout.title));
    setFixedSize(TwipsToPx(layout.clientWidth), TwipsToPx(layout.clientHeight));
    if (layout.icon && layout.icon->pixels) setWindowIcon(QPixmap::fromImage(ImageOf(*layout.icon)));
    for (const DialogLabel& l : layout.labels) AddLabel(l);
    auto* ok = new QPushButton(QString::fromStdString(layout.buttonText), this);
    ok->setGeometry(PxRect(layout.buttonRect));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (layout_.icon && layout_.icon->pixels) {
      p.drawImage(PxRect(layout_.iconRect).topLeft(), ImageOf(*layout_.icon));
    }
    // Through the middles of the pixels: whole pixels at any scale (at
    // their edges, a scaled painter would draw half a line on either side).
    const QPointF middle(0.5, 0.5);
    for (const DialogLine& l : layout_.lines) {
      p.setPen(QPen(ColorOf(l.color), 1, Qt::SolidLine, Qt::FlatCap));
      p.drawLine(QPointF(TwipsToPx(l.x1), TwipsToPx(l.y1)) + middle, QPointF(TwipsToPx(l.x2), TwipsToPx(l.y2)) + middle);
    }
  }

 private:
  void AddLabel(const DialogLabel& l) {
    auto* label = new QLabel(QString::fromStdString(l.text), this);
    label->setFont(FontOf(l.font));
    // A line of text whose glyphs would reach the dialog's bottom edge (its
    // descenders cut off, the text touching the frame) goes up just enough
    // to end a little above it.
    constexpr int kBottomMargin = 2;
    QRect r = PxRect(l.where);
    const QFontMetrics metrics(label->font());
    const int glyphsEnd = r.top() + metrics.ascent() + metrics.tightBoundingRect(label->text()).bottom() + 1;
    const int overflow = glyphsEnd - (height() - kBottomMargin);
    if (overflow > 0) r.translate(0, -overflow);
    label->setGeometry(r);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }

  DialogLayout layout_;
};

// The application's style, but menus keep no margin to the screen's
// available area: Qt measures a menu's room and its place from there, so a
// margin far outside the screen lifts those limits.
class UnboundMenus : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_MenuDesktopFrameWidth) return -(1 << 15);
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

// How long an unmapped modal window may take to be mapped again.
constexpr int kRemapGraceMs = 750;

}  // namespace

// A modal window that another client destroys or unmaps (or a window
// manager iconifies) ends as if dismissed: its loop would otherwise wait
// for a window nobody can see. An unmapping is believed only when the
// window is still unmapped a moment later: a window manager that goes away
// or takes over (openbox --replace) unmaps it only to reparent it.
void CloseModalIfGone(std::uint32_t xid, bool destroyed) {
  for (const QPointer<QWidget>& modal : B().modals) {
    if (!modal || !modal->isVisible() || static_cast<std::uint32_t>(modal->winId()) != xid) continue;
    QTimer::singleShot(destroyed ? 0 : kRemapGraceMs, modal.data(), [w = modal, xid, destroyed] {
      if (w && (destroyed || !x11::Viewable(B().conn, xid))) w->close();
    });
  }
}

}  // namespace plat::qt

namespace plat::qt {

using namespace plat::qt;

int PopupMenu(std::span<const MenuItem> items) {
  if (!Open()) return -1;
  ThrowPendingExit();
  // Qt lays a menu out in, and keeps it inside, the screen's available
  // area, which it takes from _NET_WORKAREA as it is: on an empty one (a
  // panel gone wrong) it gave the menu no room and never mapped it, and the
  // menu's loop held the game still for ever. There the menu keeps no
  // margin to that area (which lifts Qt's limits) and goes at the pointer,
  // inside the monitor.
  const QPoint pointer = QCursor::pos();
  const QScreen* screen = QGuiApplication::screenAt(pointer);
  const bool roomless = screen && (screen->availableGeometry().width() * 2 < screen->geometry().width() ||
                                   screen->availableGeometry().height() * 2 < screen->geometry().height());
  UnboundMenus unbound;
  QMenu menu;
  if (roomless) menu.setStyle(&unbound);
  std::vector<QAction*> actions;
  for (const MenuItem& item : items) {
    actions.push_back(item.separator ? menu.addSeparator()
                                     : menu.addAction(QString::fromStdString(item.caption)));
  }
  QPoint at = pointer;
  if (roomless) {
    const QSize size = menu.sizeHint();
    const QRect all = screen->geometry();
    at = QPoint(std::clamp(at.x(), all.left(), std::max(all.left(), all.right() - size.width() + 1)),
                std::clamp(at.y(), all.top(), std::max(all.top(), all.bottom() - size.height() + 1)));
  }
  QAction* chosen = nullptr;
  {
    ModalScope scope(&menu);
    chosen = menu.exec(at);
  }
  ThrowPendingExit();
  const auto it = std::find(actions.begin(), actions.end(), chosen);
  return chosen && it != actions.end() ? static_cast<int>(it - actions.begin()) : -1;
}

void ShowModalDialog(const DialogLayout& layout) {
  if (!Open()) return;
  ThrowPendingExit();
  Dialog dialog(layout);
  {
    ModalScope scope(&dialog);
    dialog.exec();
  }
  ThrowPendingExit();
}

void ShowMessageBox(const std::string& text) {
  if (!Open()) return;
  // The guard shows the fatal box after it has remembered the exit; only an
  // exit that comes while this box is open is thrown from here.
  const bool exitBefore = ExitPending();
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Zembrant"), QString::fromStdString(text),
                  QMessageBox::Ok);
  {
    ModalScope scope(&box);
    box.exec();
  }
  if (!exitBefore) ThrowPendingExit();
}

}  // namespace plat::qt
