// Spares Qt a round trip per move of a sprite window.
#include "platform/qt/configure_filter.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <xcb/xcb.h>

#include "platform/qt/backend.h"

namespace plat::qt {
namespace {

constexpr std::uint8_t kSentEvent = 0x80;

class ConfigureFilter : public QAbstractNativeEventFilter {
 public:
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    auto* ev = static_cast<xcb_configure_notify_event_t*>(message);
    if ((ev->response_type & ~kSentEvent) != XCB_CONFIGURE_NOTIFY) return false;
    if (ev->event == ev->window && B().spriteXids.contains(ev->window)) {
      ev->response_type |= kSentEvent;
    }
    return false;  // Qt handles it, now without asking the server
  }
};

ConfigureFilter* g_filter = nullptr;  // not destroyed at exit, when Qt may be gone

}  // namespace

void StartConfigureFilter() {
  if (g_filter) return;
  g_filter = new ConfigureFilter;
  QCoreApplication::instance()->installNativeEventFilter(g_filter);
}

void StopConfigureFilter() {
  if (!g_filter) return;
  QCoreApplication::instance()->removeNativeEventFilter(g_filter);
  delete g_filter;
  g_filter = nullptr;
}

}  // namespace plat::qt
