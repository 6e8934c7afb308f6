// Waiting for the server's exposures with a marker message.
#include "platform/qt/exposures.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QTimer>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>

#include "platform/qt/backend.h"
#include "platform/qt/testing.h"

namespace plat::qt {
namespace {

constexpr int kMaxWaitMs = 200;
constexpr char kMarkerName[] = "_ZEMBRANT_EXPOSURE_MARKER";

class Marker : public QAbstractNativeEventFilter {
 public:
  Marker() {
    xcb_connection_t* c = B().conn;
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof kMarkerName - 1, kMarkerName), nullptr);
    atom_ = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    Create();
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~Marker() override {
    QCoreApplication::instance()->removeNativeEventFilter(this);
    xcb_destroy_window(B().conn, xid_);
  }

  // A message to the marker window, which the server hands to its maker
  // alone (no event mask): other clients, a compositor among them, hear
  // nothing of it, as they would of a property change.
  void Send() {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xid_;
    message.type = atom_;
    xcb_send_event(B().conn, 0, xid_, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    ++sent_;
  }

  xcb_window_t Window() const { return xid_; }

  void AwaitLast() {
    if (seen_ >= sent_) return;
    xcb_flush(B().conn);
    QTimer limit;
    limit.setSingleShot(true);
    bool late = false;
    QObject::connect(&limit, &QTimer::timeout, [&late] { late = true; });
    limit.start(kMaxWaitMs);
    while (seen_ < sent_ && !late) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    seen_ = sent_;  // one that came too late no longer counts
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* ev = static_cast<const xcb_generic_event_t*>(message);
    if ((ev->response_type & 0x7f) == XCB_DESTROY_NOTIFY &&
        static_cast<const xcb_destroy_notify_event_t*>(message)->window == xid_) {
      // Another client destroyed it: what was sent is lost, and a new one
      // takes its place.
      seen_ = sent_;
      Create();
      return true;
    }
    if ((ev->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
    const auto* cm = static_cast<const xcb_client_message_event_t*>(message);
    if (cm->window != xid_ || cm->type != atom_) return false;
    ++seen_;
    return true;
  }

 private:
  // A hidden window of the program's own, not Qt's: it is told of its
  // destruction.
  void Create() {
    xcb_connection_t* c = B().conn;
    xid_ = xcb_generate_id(c);
    const std::uint32_t values[] = {1, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, xid_, B().root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
  }

  xcb_window_t xid_ = 0;
  xcb_atom_t atom_ = 0;
  std::uint64_t sent_ = 0;
  std::uint64_t seen_ = 0;
};

// Lives from the opening of the platform to its closing; never destroyed at
// exit, when Qt may be gone already.
Marker* g_marker = nullptr;

}  // namespace

void StartExposureMarker() {
  if (!g_marker) g_marker = new Marker;
}

void StopExposureMarker() {
  delete g_marker;
  g_marker = nullptr;
}

void SendExposureMarker() {
  if (g_marker) g_marker->Send();
}

void AwaitExposures() {
  if (g_marker) g_marker->AwaitLast();
}

namespace testing {
std::uint32_t ExposureMarkerWindow() { return g_marker ? g_marker->Window() : 0; }
}  // namespace testing

}  // namespace plat::qt
