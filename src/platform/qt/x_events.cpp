// The X event dispatch: one switch over every event Qt's connection brings.
#include "platform/qt/x_events.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include "platform/qt/backend.h"
#include "platform/qt/painting.h"
#include "platform/qt/screen.h"
#include "platform/qt/shape.h"
#include "platform/qt/single_copy.h"
#include "platform/qt/sprite_events.h"
#include "platform/qt/stats.h"

namespace plat::qt {
namespace {

// Events of extensions (RandR's among them) are numbered from here on.
constexpr std::uint8_t kFirstExtensionEvent = 64;

class XEvents : public QAbstractNativeEventFilter {
 public:
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    return type == "xcb_generic_event_t" && DispatchXEvent(static_cast<xcb_generic_event_t*>(message));
  }
};

template <typename Event>
Event* As(xcb_generic_event_t* ev) {
  return reinterpret_cast<Event*>(ev);
}

}  // namespace

void StartXEvents() {
  Backend& b = B();
  if (b.xEvents) return;
  b.xEvents = std::make_unique<XEvents>();
  QCoreApplication::instance()->installNativeEventFilter(b.xEvents.get());
}

void StopXEvents() {
  Backend& b = B();
  if (!b.xEvents) return;
  QCoreApplication::instance()->removeNativeEventFilter(b.xEvents.get());
  b.xEvents.reset();
}

// Several concerns may look at one event; the first that keeps it from Qt
// ends its way.
bool DispatchXEvent(xcb_generic_event_t* ev) {
  stats::NoteEvent();
  const std::uint8_t kind = ev->response_type & 0x7f;
  if (kind >= kFirstExtensionEvent) {
    if (B().shapeEvent != 0 && kind == B().shapeEvent) {
      OnOutlineChanged(ev);
      return true;  // Qt has no use for it
    }
    OnSelectionOwner(ev);
    NoteExtensionEvent(ev);
    NoteScreenMayChange();
    return false;
  }
  switch (kind) {
    case XCB_EXPOSE:
      return ExposureNeedsNoPaint(As<xcb_expose_event_t>(ev));
    case XCB_CONFIGURE_NOTIFY: {
      auto* configure = As<xcb_configure_notify_event_t>(ev);
      if (configure->window == B().root) NoteScreenMayChange();
      return OnSpriteConfigure(configure);
    }
    case XCB_PROPERTY_NOTIFY:
      NoteRootProperty(As<xcb_property_notify_event_t>(ev));
      return false;  // Qt reads the root's properties too
    case XCB_UNMAP_NOTIFY:
      CloseModalIfGone(As<xcb_unmap_notify_event_t>(ev)->window, false);
      OnSpriteUnmapped(As<xcb_unmap_notify_event_t>(ev));
      return false;
    case XCB_DESTROY_NOTIFY:
      CloseModalIfGone(As<xcb_destroy_notify_event_t>(ev)->window, true);
      OnSpriteDestroyed(As<xcb_destroy_notify_event_t>(ev));
      return OnClaimDestroyed(As<xcb_destroy_notify_event_t>(ev)) ||
             OnMarkerDestroyed(As<xcb_destroy_notify_event_t>(ev));
    case XCB_REPARENT_NOTIFY:
      OnSpriteReparented(As<xcb_reparent_notify_event_t>(ev));
      return false;
    case XCB_CLIENT_MESSAGE: {
      const auto* message = As<xcb_client_message_event_t>(ev);
      return OnQuitRequest(message) || IsCloseRequestToSprite(message) || OnExposureMarker(message);
    }
    case XCB_SELECTION_CLEAR:
      return OnSelectionLost(As<xcb_selection_clear_event_t>(ev));
    case XCB_SELECTION_REQUEST:
      return OnSelectionRequest(As<xcb_selection_request_event_t>(ev));
    case XCB_FOCUS_IN:
    case XCB_FOCUS_OUT:
      B().keyboard.NoteFocusChange(As<xcb_focus_in_event_t>(ev));
      return false;
    default:
      return false;
  }
}

}  // namespace plat::qt
