// Waiting for the server's exposures with a marker property change.
#include "platform/qt/exposures.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>

#include "platform/qt/backend.h"

namespace plat::qt {
namespace {

constexpr int kMaxWaitMs = 200;
constexpr char kMarkerName[] = "_ZEMBRANT_EXPOSURE_MARKER";

class Marker : public QAbstractNativeEventFilter {
 public:
  Marker() {
    window_.setAttribute(Qt::WA_DontShowOnScreen);
    xid_ = static_cast<xcb_window_t>(window_.winId());
    xcb_connection_t* c = B().conn;
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof kMarkerName - 1, kMarkerName), nullptr);
    atom_ = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~Marker() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

  // Appending nothing changes nothing but still notifies.
  void Send() {
    xcb_change_property(B().conn, XCB_PROP_MODE_APPEND, xid_, atom_, XCB_ATOM_INTEGER, 32, 0, nullptr);
    ++sent_;
  }

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
    if ((ev->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
    const auto* pn = static_cast<const xcb_property_notify_event_t*>(message);
    if (pn->window == xid_ && pn->atom == atom_) ++seen_;
    return false;
  }

 private:
  QWidget window_;
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

}  // namespace plat::qt
