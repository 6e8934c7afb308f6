// The keyboard through XWayland: the window a left click on a sprite maps
// so that the Wayland compositor gives the program the keyboard.
//
// Measured on sway, weston, mutter and KWin nested on an Xvfb, a native
// terminal holding the focus: none of them focuses an override-redirect
// window on a click, weston and mutter ignore a new window of the utility
// type, weston ignores _NET_ACTIVE_WINDOW and sway and weston undo an X
// client's own focus request; every one focuses a managed window of the
// normal type as it maps. So a click maps such a window, and once the
// compositor has moved the focus away from the program (the player clicked
// another window) it is unmapped, ready to be mapped afresh by the next
// click. Nothing of it shows: 1 x 1 pixel, transparent, undecorated, of a
// fixed size (sway floats it instead of tiling it), kept out of task bars
// and pagers, letting every click through.
#include "platform/qt/wayland_focus.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <cstring>

#include "platform/keys.h"
#include "platform/qt/backend.h"
#include "platform/qt/x11.h"

namespace plat::qt {
namespace {

WaylandFocus& W() { return B().waylandFocus; }

// XWayland names its RandR outputs XWAYLAND0, XWAYLAND1, ...; an X server
// of its own names them after the hardware (or "screen" on Xvfb).
bool IsXWayland(xcb_connection_t* c, xcb_window_t root) {
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_randr_id);
  if (!ext || !ext->present) return false;
  xcb_randr_get_screen_resources_current_reply_t* res = xcb_randr_get_screen_resources_current_reply(
      c, xcb_randr_get_screen_resources_current(c, root), nullptr);
  if (!res) return false;
  bool found = false;
  const xcb_randr_output_t* outputs = xcb_randr_get_screen_resources_current_outputs(res);
  const int count = xcb_randr_get_screen_resources_current_outputs_length(res);
  for (int i = 0; i < count && !found; ++i) {
    xcb_randr_get_output_info_reply_t* info = xcb_randr_get_output_info_reply(
        c, xcb_randr_get_output_info(c, outputs[i], res->config_timestamp), nullptr);
    if (!info) continue;
    const char* name = reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info));
    const int length = xcb_randr_get_output_info_name_length(info);
    found = length >= 8 && std::memcmp(name, "XWAYLAND", 8) == 0;
    std::free(info);
  }
  std::free(res);
  return found;
}

std::unique_ptr<QWidget> MakeCatcher() {
  auto w = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint |
                                                  Qt::WindowTransparentForInput);
  w->setAttribute(Qt::WA_TranslucentBackground);
  w->setAttribute(Qt::WA_NoSystemBackground);
  w->setWindowTitle(QStringLiteral("Zembrant"));
  w->setFixedSize(1, 1);
  w->move(0, 0);
  xcb_connection_t* c = B().conn;
  const auto id = static_cast<xcb_window_t>(w->winId());
  x11::SetWmClass(c, id);
  x11::DropKeyEvents(c, id);
  // Qt keeps states it does not manage itself when it maps the window.
  const xcb_atom_t states[] = {x11::Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                              x11::Atom(c, "_NET_WM_STATE_SKIP_PAGER")};
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, x11::Atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 2, states);
  return w;
}

bool CatcherFocused() {
  const WaylandFocus& w = W();
  return w.catcher && w.catcher->windowHandle() && QGuiApplication::focusWindow() == w.catcher->windowHandle();
}

// A sprite may hold the X server's focus without the compositor giving
// XWayland the keyboard (mutter hands it X focus requests): only another
// window of the program's counts, the catcher or a dialog.
bool ProgramFocused() {
  const QWindow* focus = QGuiApplication::focusWindow();
  return focus && B().spriteXids.count(static_cast<std::uint32_t>(focus->winId())) == 0;
}

void OnFocusChanged() {
  WaylandFocus& w = W();
  if (w.catcher && w.catcher->isVisible() && !QGuiApplication::focusWindow()) w.catcher->hide();
  const bool heard = KeyboardReachesProgram();
  if (heard == w.heard) return;
  w.heard = heard;
  if (w.onChange) Dispatch(w.onChange);
}

}  // namespace

void StartWaylandFocus() {
  WaylandFocus& w = W();
  w.xwayland = IsXWayland(B().conn, B().root);
  w.heard = !w.xwayland;
  if (!w.xwayland) return;
  w.focusWatch = QObject::connect(qApp, &QGuiApplication::focusWindowChanged, [] { OnFocusChanged(); });
}

void StopWaylandFocus() {
  WaylandFocus& w = W();
  QObject::disconnect(w.focusWatch);
  w.catcher.reset();
  w.xwayland = false;
  w.heard = true;
}

void TakeKeyboardOnClick() {
  WaylandFocus& w = W();
  if (!w.xwayland || CatcherFocused()) return;
  if (!w.catcher) w.catcher = MakeCatcher();
  // Mapped already, but not focused a while after: mapped afresh.
  if (w.catcher->isVisible()) {
    if (SteadyMs() - w.mappedMs < 1000) return;
    w.catcher->hide();
  }
  w.catcher->show();
  w.mappedMs = SteadyMs();
}

bool SpritesMayTakeFocus() { return !W().xwayland; }

bool KeyboardReachesProgram() { return !W().xwayland || ProgramFocused(); }

void SetKeyboardReachHandler(std::function<void()> handler) { W().onChange = std::move(handler); }

}  // namespace plat::qt

namespace plat::qt {

bool KeyboardHeard() { return qt::KeyboardReachesProgram(); }
void SetKeyboardHeardHandler(std::function<void()> handler) { qt::SetKeyboardReachHandler(std::move(handler)); }

}  // namespace plat::qt
