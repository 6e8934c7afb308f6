// Spares Qt a round trip per move of a sprite window, and the painting of
// what the server has filled with a window's colour already. Keeps sprite
// windows as the program has them whatever other clients do: a size, a
// close or an unmapping that did not come from the program is undone.
#include "platform/qt/sprite_events.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QTimer>
#include <QWindow>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

#include "platform/qt/backend.h"
#include "platform/qt/screen.h"
#include "platform/qt/painting.h"
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

// The size the program gave the X window, in device pixels.
QSize ProgramSize(const WindowRec& rec) {
  return QSize(rec.onServer.Width(), rec.onServer.Height()) * DeviceScale();
}

// Puts a window another client resized back to the program's size and place.
void RestoreGeometry(const WindowRec& rec, std::uint32_t xid) {
  const QSize size = ProgramSize(rec);
  const QPoint at = (GameOrigin() + QPoint(rec.onServer.left, rec.onServer.top)) * DeviceScale();
  const std::uint32_t values[] = {static_cast<std::uint32_t>(at.x()), static_cast<std::uint32_t>(at.y()),
                                  static_cast<std::uint32_t>(std::max(1, size.width())),
                                  static_cast<std::uint32_t>(std::max(1, size.height()))};
  xcb_configure_window(B().conn, xid,
                       XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                           XCB_CONFIG_WINDOW_HEIGHT,
                       values);
}

const WindowRec* SpriteOf(std::uint32_t xid) {
  const auto it = B().spriteXids.find(xid);
  return it == B().spriteXids.end() ? nullptr : FindWindow(it->second);
}

// Synthetic configure events come from other clients (the server's own
// never carry the sent flag): only the program sizes its sprites.
bool OnConfigure(xcb_configure_notify_event_t* ev) {
  const WindowRec* rec = SpriteOf(ev->window);
  if (!rec) return false;
  if (ev->response_type & kSentEvent) return true;
  if (ev->event != ev->window) return false;
  if (IsPureMove(rec->id, ev)) return true;
  const bool programSize = QSize(ev->width, ev->height) == ProgramSize(*rec);
  if (!programSize && rec->onServer.Width() > 0 && rec->onServer.Height() > 0) {
    RestoreGeometry(*rec, ev->window);  // another client resized it
    return true;
  }
  // The backend sized it on the server itself, and Qt keeps a size of its
  // own for it (windows.cpp): Qt would only ask the server about its frame.
  if (rec->sizedOnServer) return true;
  ev->response_type |= kSentEvent;
  return false;  // Qt handles it, now without asking the server
}

// A sprite the program shows stays mapped, whoever unmapped it.
void OnUnmap(const xcb_unmap_notify_event_t* ev) {
  const WindowRec* rec = SpriteOf(ev->window);
  if (rec && rec->visible && rec->widget && rec->widget->isVisible()) {
    xcb_map_window(B().conn, ev->window);
  }
}

// A sprite another client destroyed is made again, once Qt is done with
// the events of this round.
void OnDestroyed(const xcb_destroy_notify_event_t* ev) {
  const auto it = B().spriteXids.find(ev->window);
  if (it == B().spriteXids.end() || ev->event != ev->window) return;
  const WindowId id = it->second;
  B().spriteXids.erase(it);
  QTimer::singleShot(0, [id] { RemakeSprite(id); });
}

// WM_DELETE_WINDOW and the like: sprites are closed by the program alone.
bool IsProtocolRequestToSprite(const xcb_client_message_event_t* ev) {
  static const xcb_atom_t protocols = [] {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(B().conn, xcb_intern_atom(B().conn, 0, 12, "WM_PROTOCOLS"), nullptr);
    const xcb_atom_t atom = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    return atom;
  }();
  return ev->type == protocols && SpriteOf(ev->window) != nullptr;
}

// A grab taken while one of the program's windows has the focus: the keys
// are another client's until it ends (keyboard.h).
void NoteFocusGrab(const xcb_focus_in_event_t* ev) {
  if (ev->mode == XCB_NOTIFY_MODE_GRAB || ev->mode == XCB_NOTIFY_MODE_UNGRAB) {
    B().keyboard.NoteGrab(ev->mode == XCB_NOTIFY_MODE_GRAB);
  }
}

class ConfigureFilter : public QAbstractNativeEventFilter {
 public:
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    auto* ev = static_cast<xcb_generic_event_t*>(message);
    switch (ev->response_type & ~kSentEvent) {
      case XCB_EXPOSE:
        return ExposureNeedsNoPaint(static_cast<xcb_expose_event_t*>(message));
      case XCB_CONFIGURE_NOTIFY:
        return OnConfigure(static_cast<xcb_configure_notify_event_t*>(message));
      case XCB_UNMAP_NOTIFY:
        OnUnmap(static_cast<xcb_unmap_notify_event_t*>(message));
        return false;
      case XCB_DESTROY_NOTIFY:
        OnDestroyed(static_cast<xcb_destroy_notify_event_t*>(message));
        return false;
      case XCB_CLIENT_MESSAGE:
        return IsProtocolRequestToSprite(static_cast<xcb_client_message_event_t*>(message));
      case XCB_FOCUS_IN:
      case XCB_FOCUS_OUT:
        NoteFocusGrab(static_cast<xcb_focus_in_event_t*>(message));
        return false;
      default:
        return false;
    }
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
