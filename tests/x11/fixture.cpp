// The fixture of the X11-only tests.
#include "x11/fixture.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "platform/events.h"
#include "platform/qt/testing.h"
#include "support/x_platform.h"

namespace x11test {

void X11Test::SetUpTestSuite() { X(); }

xtest::XClient& X11Test::X() { return xtest::OpenPlatformForTests("zb_x11_tests"); }

void X11Test::SetUp() { plat::qt::testing::Reset(); }
void X11Test::TearDown() { plat::qt::testing::Reset(); }

void X11Test::PlaceWindow(plat::WindowId w, const plat::Rect& px) {
  plat::SetWindowRect(w, px.left * 15.0, px.top * 15.0, px.Width() * 15.0, px.Height() * 15.0);
}

plat::WindowId X11Test::ShowWindow(const plat::Rect& px, std::string_view name) {
  const plat::WindowId w = plat::CreateSpriteWindow(name);
  PlaceWindow(w, px);
  plat::SetVisible(w, true);
  plat::DoEvents();
  return w;
}

std::uint32_t X11Test::Xid(plat::WindowId w) { return plat::qt::testing::XWindowOf(w); }

std::vector<std::uint32_t> X11Test::PixelsOf(plat::WindowId w) {
  return X().Pixels(X().ScreenRect(Xid(w)));
}

void X11Test::WhenModalOpens(std::function<void(QWidget*)> body) {
  auto* watch = new QTimer;
  QObject::connect(watch, &QTimer::timeout, [watch, body] {
    QWidget* modal = QApplication::activePopupWidget();
    if (!modal) modal = QApplication::activeModalWidget();
    if (!modal || !modal->windowHandle() || !modal->windowHandle()->isExposed()) return;
    watch->stop();
    watch->deleteLater();
    body(modal);
  });
  watch->start(10);
}

std::uint32_t Rgb(plat::Color c) {
  return (static_cast<std::uint32_t>(plat::RedOf(c)) << 16) | (plat::GreenOf(c) << 8) | plat::BlueOf(c);
}

}  // namespace x11test
