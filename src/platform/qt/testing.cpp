// What the X11 tests need of the backend beyond the platform interface: a
// library of its own that only the tests and benchmarks link.
#include "platform/qt/testing.h"

#include <xcb/xcb.h>

#include <cstdlib>

#include "platform/handler_guard.h"
#include "platform/qt/backend.h"
#include "platform/qt/widget.h"

namespace plat::qt::testing {

void Reset() {
  ResetHandlerGuard();
  DestroyAllWindows();
}

xcb_connection_t* QtConnection() { return B().conn; }

void SyncWithServer() {
  // A round trip: the server answers after it has done everything before.
  if (B().conn) std::free(xcb_get_input_focus_reply(B().conn, xcb_get_input_focus(B().conn), nullptr));
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

void TrustCompositorSelection() { B().trustCompositorSelection = true; }

std::uint32_t ExposureMarkerWindow() { return B().marker.window; }

}  // namespace plat::qt::testing
