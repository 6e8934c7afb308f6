// Spares Qt a round trip per move of a sprite window, and the painting of
// what the server has filled with a window's colour already.
#include "platform/qt/configure_filter.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWindow>
#include <xcb/xcb.h>

#include "platform/qt/backend.h"
#include "platform/qt/geometry.h"
#include "platform/qt/screen_changes.h"
#include "platform/qt/widget.h"

namespace plat::qt {
namespace {

constexpr std::uint8_t kSentEvent = 0x80;

// A move the backend made itself: the size is what Qt knows already.
bool IsPureMove(WindowId id, const xcb_configure_notify_event_t* ev) {
  const WindowRec* rec = FindWindow(id);
  const QWindow* window = rec && rec->widget ? rec->widget->windowHandle() : nullptr;
  if (!window) return false;
  const QSize size = window->geometry().size() * DeviceScale();
  return size.width() == ev->width && size.height() == ev->height;
}

class ConfigureFilter : public QAbstractNativeEventFilter {
 public:
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    auto* ev = static_cast<xcb_configure_notify_event_t*>(message);
    if ((ev->response_type & ~kSentEvent) == XCB_EXPOSE) {
      return ExposureNeedsNoPaint(static_cast<xcb_expose_event_t*>(message)->window);
    }
    if ((ev->response_type & ~kSentEvent) != XCB_CONFIGURE_NOTIFY) return false;
    if (ev->event != ev->window) return false;
    const auto it = B().spriteXids.find(ev->window);
    if (it == B().spriteXids.end()) return false;
    if (IsPureMove(it->second, ev)) return true;
    ev->response_type |= kSentEvent;
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
