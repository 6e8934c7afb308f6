// What the server tells of sprite windows, and what the program does
// about it: Qt is spared a round trip per move, and a size, a close or an
// unmapping that did not come from the program is undone.
#include "platform/qt/sprite_events.h"

#include <QTimer>
#include <QWindow>

#include "platform/qt/backend.h"
#include "platform/qt/screen.h"
#include "platform/qt/widget.h"
#include "platform/qt/x11.h"

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

// A place the X window took after the server had carried out the
// program's last placing of it, other than the program's: another client
// moved it (a window manager letting go of it, say). Notices of the
// program's own earlier moves come before that placing and say nothing.
bool MovedByAnother(const WindowRec& rec, const xcb_configure_notify_event_t* ev) {
  if (rec.onServer.Width() <= 0 || rec.onServer.Height() <= 0) return false;  // not placed yet
  const std::uint32_t seen = reinterpret_cast<const xcb_generic_event_t*>(ev)->full_sequence;
  if (static_cast<std::int32_t>(seen - rec.placedBy) < 0) return false;
  return QPoint(ev->x, ev->y) != ServerPlace(rec);
}

// Maps and restacks of the window go past any window manager from now on.
void BypassWindowManager(std::uint32_t xid) {
  const std::uint32_t overrideRedirect = 1;
  xcb_change_window_attributes(B().conn, xid, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
}

WindowRec* SpriteOf(std::uint32_t xid) {
  const auto it = B().spriteXids.find(xid);
  return it == B().spriteXids.end() ? nullptr : FindWindow(it->second);
}

}  // namespace

// Synthetic configure events come from other clients (the server's own
// never carry the sent flag): only the program sizes its sprites.
bool OnSpriteConfigure(xcb_configure_notify_event_t* ev) {
  WindowRec* rec = SpriteOf(ev->window);
  if (!rec) return false;
  if (ev->response_type & kSentEvent) return true;
  if (ev->event != ev->window) return false;
  if (MovedByAnother(*rec, ev)) {
    RestorePlace(*rec);
    return true;
  }
  if (IsPureMove(rec->id, ev)) return true;
  const bool programSize = QSize(ev->width, ev->height) == ProgramSize(*rec);
  if (!programSize && rec->onServer.Width() > 0 && rec->onServer.Height() > 0) {
    RestorePlace(*rec);  // another client resized it
    return true;
  }
  // The backend sized it on the server itself, and Qt keeps a size of its
  // own for it (windows.cpp): Qt would only ask the server about its frame.
  if (rec->sizedOnServer) return true;
  ev->response_type |= kSentEvent;
  return false;  // Qt handles it, now without asking the server
}

// A sprite the program shows stays mapped, whoever unmapped it, and no
// window manager takes it when it is mapped again, should the one who
// unmapped it have cleared its override-redirect too.
void OnSpriteUnmapped(const xcb_unmap_notify_event_t* ev) {
  const WindowRec* rec = SpriteOf(ev->window);
  if (rec && rec->visible && rec->widget && rec->widget->isVisible()) {
    BypassWindowManager(ev->window);
    xcb_map_window(B().conn, ev->window);
  }
}

// A sprite another client destroyed is made again, once Qt is done with
// the events of this round.
void OnSpriteDestroyed(const xcb_destroy_notify_event_t* ev) {
  const auto it = B().spriteXids.find(ev->window);
  if (it == B().spriteXids.end() || ev->event != ev->window) return;
  const WindowId id = it->second;
  B().spriteXids.erase(it);
  QTimer::singleShot(0, [id] { RemakeSprite(id); });
}

void OnSpriteReparented(const xcb_reparent_notify_event_t* ev) {
  WindowRec* rec = SpriteOf(ev->window);
  if (!rec || ev->event != ev->window || ev->parent == B().root) return;
  BypassWindowManager(ev->window);
  const QPoint at = ServerPlace(*rec);
  xcb_reparent_window(B().conn, ev->window, B().root, static_cast<std::int16_t>(at.x()),
                      static_cast<std::int16_t>(at.y()));
  RestorePlace(*rec);
  // The frame may have taken it before the window manager mapped it: a
  // sprite the program shows is mapped again, now past the window manager.
  if (rec->visible && rec->widget && rec->widget->isVisible()) xcb_map_window(B().conn, ev->window);
}

bool IsCloseRequestToSprite(const xcb_client_message_event_t* ev) {
  return ev->type == x11::Atom(B().conn, "WM_PROTOCOLS") && SpriteOf(ev->window) != nullptr;
}

}  // namespace plat::qt
