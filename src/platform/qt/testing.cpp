// What the X11 tests need of the backend beyond the platform interface.
#include "platform/qt/testing.h"

#include "platform/handler_guard.h"
#include "platform/qt/backend.h"
#include "platform/qt/widget.h"
#include "platform/qt/x11.h"

namespace plat::qt::testing {

void Reset() {
  ResetHandlerGuard();
  DestroyAllWindows();
}

xcb_connection_t* QtConnection() { return B().conn; }

void SyncWithServer() {
  if (B().conn) x11::Sync(B().conn);
}

QWidget* WidgetOf(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  return rec ? rec->widget.data() : nullptr;
}

std::uint32_t XWindowOf(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  if (!rec || rec->parent != kNoWindow || !rec->widget) return 0;
  return static_cast<std::uint32_t>(rec->widget->winId());
}

WindowId WindowOfX(std::uint32_t xid) {
  for (const auto& [id, rec] : B().windows) {
    if (rec.parent == kNoWindow && rec.widget && rec.widget->winId() == xid) return id;
  }
  return kNoWindow;
}

std::uint32_t ExposureMarkerWindow() { return B().marker.window; }

}  // namespace plat::qt::testing
