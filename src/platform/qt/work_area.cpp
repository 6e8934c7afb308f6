// The desktop's work area, kept up to date from the root's property changes.
#include "platform/qt/work_area.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <xcb/xcb.h>

#include "platform/qt/backend.h"
#include "platform/qt/x11.h"

namespace plat::qt {
namespace {

std::optional<Rect> g_workArea;

class WorkAreaWatch : public QAbstractNativeEventFilter {
 public:
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* ev = static_cast<const xcb_property_notify_event_t*>(message);
    if ((ev->response_type & 0x7f) != XCB_PROPERTY_NOTIFY || ev->window != B().root) return false;
    if (ev->atom == x11::WorkAreaAtom(B().conn)) g_workArea = x11::WorkArea(B().conn, B().root);
    return false;  // Qt reads it too
  }
};

WorkAreaWatch* g_watch = nullptr;  // not destroyed at exit, when Qt may be gone

}  // namespace

void StartWorkAreaWatch() {
  if (g_watch) return;
  g_workArea = x11::WorkArea(B().conn, B().root);
  g_watch = new WorkAreaWatch;
  QCoreApplication::instance()->installNativeEventFilter(g_watch);
}

void StopWorkAreaWatch() {
  if (!g_watch) return;
  QCoreApplication::instance()->removeNativeEventFilter(g_watch);
  delete g_watch;
  g_watch = nullptr;
  g_workArea.reset();
}

std::optional<Rect> DesktopWorkArea() { return g_workArea; }

}  // namespace plat::qt
