// The conformance driver of the X11 backend: the window system's view read
// back from the X server, the user's keys and clicks sent with XTEST, modal
// windows answered with XTEST clicks once they are on screen.
#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <set>

#include "conformance/driver.h"
#include "conformance/screen_pixels.h"
#include "platform/app.h"
#include "platform/keys.h"
#include "platform/qt/testing.h"
#include "support/x_platform.h"

namespace conformance {
namespace {

namespace qtt = plat::qt::testing;

constexpr int kVirtualKeys[] = {plat::VK_ESCAPE, plat::VK_SPACE, plat::VK_HOME, plat::VK_LEFT,
                                plat::VK_UP,     plat::VK_RIGHT, plat::VK_DOWN};
// A modal window nobody answers is closed after this long, and the case fails.
constexpr int kUnansweredModalMs = 10000;

std::uint32_t KeysymOf(int vk) {
  switch (vk) {
    case plat::VK_ESCAPE: return xtest::key::kEscape;
    case plat::VK_SPACE: return xtest::key::kSpace;
    case plat::VK_HOME: return xtest::key::kHome;
    case plat::VK_LEFT: return xtest::key::kLeft;
    case plat::VK_UP: return xtest::key::kUp;
    case plat::VK_RIGHT: return xtest::key::kRight;
    case plat::VK_DOWN: return xtest::key::kDown;
    default: return 0;
  }
}

int XButtonOf(int button) {
  switch (button) {
    case plat::kRightButton: return 3;
    case plat::kMiddleButton: return 2;
    default: return 1;
  }
}

std::int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

plat::Region ToRegion(const QRegion& q) {
  std::vector<plat::Rect> rects;
  for (const QRect& r : q) rects.push_back({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
  return plat::Region::FromRects(rects);
}

// Device pixels per logical pixel: the X server counts the former, the game
// the latter.
int Scale() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? std::max(1, static_cast<int>(std::lround(screen->devicePixelRatio()))) : 1;
}

plat::Rect Shrunk(const plat::Rect& r, int s) {
  return {r.left / s, r.top / s, (r.right + s - 1) / s, (r.bottom + s - 1) / s};
}

bool OnScreen(QWidget* w) {
  return w && w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed();
}

class X11Driver final : public Driver {
 public:
  void Start(const StartOptions&) override {
    if (!x_) Open();
    qtt::Reset();
    menus_.clear();
    boxes_.clear();
    answered_.clear();
    modalSeenAt_.reset();
    for (int vk : kVirtualKeys) plat::GetAsyncKeyState(vk);  // forget old presses
  }

  void Stop() override {
    for (int vk : std::set<int>(held_)) ReleaseKey(vk);
    qtt::Reset();
    menus_.clear();
    boxes_.clear();
  }

  bool ChoosesClock() const override { return false; }

  void PressKey(int vk) override {
    x_->Key(KeysymOf(vk), true);
    held_.insert(vk);
  }
  void ReleaseKey(int vk) override {
    x_->Key(KeysymOf(vk), false);
    held_.erase(vk);
  }

  void Click(plat::WindowId w, int button, int x, int y) override {
    const plat::Rect r = ScreenRect(w);
    const int s = Scale();
    x_->Click((r.left + x) * s, (r.top + y) * s, XButtonOf(button), xtest::Ms(0));
  }

  plat::Rect ScreenRect(plat::WindowId w) override {
    QWidget* widget = qtt::WidgetOf(w);
    if (!widget) return {};
    const plat::Rect top = Shrunk(x_->ScreenRect(TopXWindow(widget)), Scale());
    const QPoint at = widget->mapTo(widget->window(), QPoint(0, 0));
    return {top.left + at.x(), top.top + at.y(), top.left + at.x() + widget->width(),
            top.top + at.y() + widget->height()};
  }

  plat::Region Outline(plat::WindowId w) override {
    QWidget* widget = qtt::WidgetOf(w);
    if (!widget) return {};
    if (widget->isWindow()) {
      std::vector<plat::Rect> rects = x_->Shape(qtt::XWindowOf(w)).Rects();
      for (plat::Rect& r : rects) r = Shrunk(r, Scale());
      // The X window of a one-colour window far larger than its outline
      // covers the outline's extents only: the outline is read relative to
      // the window the game placed.
      plat::Region outline = plat::Region::FromRects(rects);
      const plat::Rect x = Shrunk(x_->ScreenRect(qtt::XWindowOf(w)), Scale());
      const plat::TwipsRect placed = plat::GetWindowRect(w);
      outline.Offset(x.left - static_cast<int>(placed.left / 15), x.top - static_cast<int>(placed.top / 15));
      return outline;
    }
    plat::Region all(plat::Rect{0, 0, widget->width(), widget->height()});
    if (!widget->mask().isEmpty()) all.Intersect(ToRegion(widget->mask()));
    return all;
  }

  bool IsMapped(plat::WindowId w) override {
    QWidget* widget = qtt::WidgetOf(w);
    return widget && widget->isVisible() && x_->Viewable(TopXWindow(widget));
  }

  std::vector<plat::WindowId> Stacking(std::span<const plat::WindowId> windows) override {
    std::vector<plat::WindowId> out;
    for (std::uint32_t xid : x_->Stacking()) {
      const plat::WindowId w = qtt::WindowOfX(xid);
      if (w != plat::kNoWindow && x_->Viewable(xid) &&
          std::find(windows.begin(), windows.end(), w) != windows.end()) {
        out.push_back(w);
      }
    }
    return out;
  }

  plat::WindowId Focus() override { return qtt::WindowOfX(x_->FocusWindow()); }

  plat::Rect Ink(plat::WindowId w) override {
    const int s = Scale();
    const plat::Rect logical = ScreenRect(w);
    const plat::Rect r{logical.left * s, logical.top * s, logical.right * s, logical.bottom * s};
    return InkIn(x_->Pixels(r), logical.Width(), logical.Height(), s, plat::GetBackColor(w), Outline(w));
  }

  plat::Color ShownColor(plat::WindowId w, int x, int y) override {
    const int s = Scale();
    const plat::Rect r = ScreenRect(w);
    return OneColourIn(
        x_->Pixels(plat::Rect{(r.left + x) * s, (r.top + y) * s, (r.left + x + 1) * s, (r.top + y + 1) * s}),
        kMixed);
  }

  void AnswerNextMenu(int index, int afterMs) override { menus_.push_back({index, afterMs}); }
  void AnswerNextMessageBox(int afterMs) override { boxes_.push_back(afterMs); }
  std::vector<std::string> AnsweredMessageBoxes() override { return answered_; }

 private:
  struct MenuAnswer {
    int index = -1;
    int afterMs = 0;
  };

  void Open() {
    x_ = &xtest::OpenPlatformForTests("zb_conformance_x11");
    // Modal windows run their own loops; this timer ticks inside them.
    watcher_ = std::make_unique<QTimer>();
    QObject::connect(watcher_.get(), &QTimer::timeout, [this] { WatchModals(); });
    watcher_->start(10);
  }

  std::uint32_t TopXWindow(QWidget* widget) {
    return static_cast<std::uint32_t>(widget->window()->winId());
  }

  void ClickCentre(QWidget* in, const QRect& local) {
    const QPoint p = in->mapToGlobal(local.center()) * Scale();
    x_->Click(p.x(), p.y(), 1, xtest::Ms(0));
  }

  // Answers the menu or message box that is open, once it has been on
  // screen for the armed time.
  void WatchModals() {
    QWidget* modal = QApplication::activePopupWidget();
    if (!modal) modal = QApplication::activeModalWidget();
    if (!OnScreen(modal)) {
      modalSeenAt_.reset();
      return;
    }
    if (!modalSeenAt_) modalSeenAt_ = NowMs();
    const std::int64_t open = NowMs() - *modalSeenAt_;
    if (auto* menu = qobject_cast<QMenu*>(modal)) {
      AnswerMenu(menu, open);
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      AnswerBox(box, open);
    }
    if (open > kUnansweredModalMs) {
      ADD_FAILURE() << "a modal window stayed open without an answer";
      modal->close();
    }
  }

  void AnswerMenu(QMenu* menu, std::int64_t open) {
    if (menus_.empty() || open < menus_.front().afterMs) return;
    const MenuAnswer a = menus_.front();
    menus_.pop_front();
    modalSeenAt_.reset();
    const QList<QAction*> actions = menu->actions();
    if (a.index < 0 || a.index >= actions.size()) {
      x_->Key(xtest::key::kEscape, true);
      x_->Key(xtest::key::kEscape, false);
      return;
    }
    ClickCentre(menu, menu->actionGeometry(actions[a.index]));
  }

  void AnswerBox(QMessageBox* box, std::int64_t open) {
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    if (boxes_.empty() || open < boxes_.front() || !ok) return;
    boxes_.pop_front();
    modalSeenAt_.reset();
    answered_.push_back(box->text().toStdString());
    ClickCentre(ok, ok->rect());
  }

  xtest::XClient* x_ = nullptr;
  std::unique_ptr<QTimer> watcher_;
  std::set<int> held_;
  std::deque<MenuAnswer> menus_;
  std::deque<int> boxes_;
  std::vector<std::string> answered_;
  std::optional<std::int64_t> modalSeenAt_;
};

}  // namespace

Driver& TheDriver() {
  static X11Driver* driver = new X11Driver;  // outlives the tests; the X connections close at exit
  return *driver;
}

}  // namespace conformance
