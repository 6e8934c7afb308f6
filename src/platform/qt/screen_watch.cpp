// The screen is looked at again only after the server has said something
// that may change it: a root property (the work area), the root's size, an
// extension's event (RandR). Nothing is looked at per frame.
#include "platform/qt/screen_watch.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <xcb/xcb.h>

#include "platform/qt/backend.h"
#include "platform/screen.h"

namespace plat::qt {
namespace {

constexpr std::uint8_t kFirstExtensionEvent = 64;
// Qt brings its screens up to date a little after the server's event: the
// yields look for so long after one.
constexpr std::int64_t kLookMs = 1000;

struct Watch {
  bool on = false;
  std::int64_t lookUntilMs = -1;  // after an event of the server's that may change it
  ScreenInfo screen;              // as it was when watching started
};
Watch g_watch;

bool operator==(const ScreenInfo& a, const ScreenInfo& b) {
  return a.width == b.width && a.height == b.height && a.workArea == b.workArea;
}

class ScreenEvents : public QAbstractNativeEventFilter {
 public:
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (!g_watch.on || type != "xcb_generic_event_t") return false;
    const auto* ev = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t kind = ev->response_type & 0x7f;
    const bool may =
        (kind == XCB_PROPERTY_NOTIFY &&
         static_cast<const xcb_property_notify_event_t*>(message)->window == B().root) ||
        (kind == XCB_CONFIGURE_NOTIFY &&
         static_cast<const xcb_configure_notify_event_t*>(message)->window == B().root) ||
        kind >= kFirstExtensionEvent;
    if (may) g_watch.lookUntilMs = SteadyMs() + kLookMs;
    return false;
  }
};

ScreenEvents* g_filter = nullptr;  // not destroyed at exit, when Qt may be gone

}  // namespace

void StartScreenWatch() {
  if (g_filter) return;
  g_filter = new ScreenEvents;
  QCoreApplication::instance()->installNativeEventFilter(g_filter);
}

void StopScreenWatch() {
  g_watch = {};
  if (!g_filter) return;
  QCoreApplication::instance()->removeNativeEventFilter(g_filter);
  delete g_filter;
  g_filter = nullptr;
}

void ThrowScreenChange() {
  if (!g_watch.on || g_watch.lookUntilMs < 0) return;
  if (SteadyMs() > g_watch.lookUntilMs) {
    g_watch.lookUntilMs = -1;
    return;
  }
  if (GetScreen() == g_watch.screen) return;
  g_watch.on = false;
  throw ScreenChanged{};
}

}  // namespace plat::qt

namespace plat {

void WatchScreen(bool on) {
  qt::g_watch = {on, -1, on ? GetScreen() : ScreenInfo{}};
}

}  // namespace plat
