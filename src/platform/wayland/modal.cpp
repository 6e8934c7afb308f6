// Modal surfaces on xdg-shell.
#include "platform/wayland/modal.h"

#include <QRect>
#include <wayland-client.h>

#include "platform/handler_guard.h"
#include "platform/wayland/modal_note.h"
#include "platform/wayland/protocols.h"

namespace plat::wl {
namespace {

OpenModal g_open;                // what NoteModal was last told
std::function<void()> g_watcher;  // run at every pass of a modal loop

// How long a modal loop sleeps at most between looks at its window.
constexpr int kModalPassMs = 10;

void SurfaceConfigure(void* data, xdg_surface*, std::uint32_t serial) {
  auto* m = static_cast<ModalSurface*>(data);
  m->serial = serial;
  m->configured = true;
  m->acked = false;
}
const xdg_surface_listener kSurfaceListener = {SurfaceConfigure};

void ToplevelConfigure(void*, xdg_toplevel*, std::int32_t, std::int32_t, wl_array*) {}
void ToplevelClose(void* data, xdg_toplevel*) { static_cast<ModalSurface*>(data)->closed = true; }
void ToplevelBounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) {}
void ToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener kToplevelListener = {ToplevelConfigure, ToplevelClose, ToplevelBounds,
                                                 ToplevelCapabilities};

void PopupConfigure(void* data, xdg_popup*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t) {
  auto* m = static_cast<ModalSurface*>(data);
  m->x = x;
  m->y = y;
}
void PopupDone(void* data, xdg_popup*) { static_cast<ModalSurface*>(data)->closed = true; }
void PopupRepositioned(void*, xdg_popup*, std::uint32_t) {}
const xdg_popup_listener kPopupListener = {PopupConfigure, PopupDone, PopupRepositioned};

bool MakeXdgSurface(ModalSurface& m, int width, int height) {
  Backend& b = B();
  if (!b.wmBase || width <= 0 || height <= 0) return false;
  m.width = width;
  m.height = height;
  m.surface = wl_compositor_create_surface(b.compositor);
  m.xdg = xdg_wm_base_get_xdg_surface(b.wmBase, m.surface);
  xdg_surface_add_listener(m.xdg, &kSurfaceListener, &m);
  return true;
}

}  // namespace

bool OpenToplevel(ModalSurface& m, const std::string& title, int width, int height) {
  if (!MakeXdgSurface(m, width, height)) return false;
  m.toplevel = xdg_surface_get_toplevel(m.xdg);
  xdg_toplevel_add_listener(m.toplevel, &kToplevelListener, &m);
  xdg_toplevel_set_title(m.toplevel, title.c_str());
  xdg_toplevel_set_app_id(m.toplevel, "zembrant");
  // A fixed size: tiling compositors float it.
  xdg_toplevel_set_min_size(m.toplevel, width, height);
  xdg_toplevel_set_max_size(m.toplevel, width, height);
  // A title bar and a close box of the compositor's, where it offers them.
  if (B().decorations) {
    m.decoration = zxdg_decoration_manager_v1_get_toplevel_decoration(B().decorations, m.toplevel);
    zxdg_toplevel_decoration_v1_set_mode(m.decoration, ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
  }
  wl_surface_commit(m.surface);
  return true;
}

bool OpenPopup(ModalSurface& m, int x, int y, int width, int height) {
  Backend& b = B();
  if (!b.stage.layer || !MakeXdgSurface(m, width, height)) return false;
  xdg_positioner* where = xdg_wm_base_create_positioner(b.wmBase);
  xdg_positioner_set_size(where, width, height);
  xdg_positioner_set_anchor_rect(where, x, y, 1, 1);
  xdg_positioner_set_anchor(where, XDG_POSITIONER_ANCHOR_TOP_LEFT);
  xdg_positioner_set_gravity(where, XDG_POSITIONER_GRAVITY_BOTTOM_RIGHT);
  xdg_positioner_set_constraint_adjustment(
      where, XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_X | XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_Y |
                 XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_X | XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_Y);
  m.popup = xdg_surface_get_popup(m.xdg, nullptr, where);
  xdg_positioner_destroy(where);
  xdg_popup_add_listener(m.popup, &kPopupListener, &m);
  zwlr_layer_surface_v1_get_popup(b.stage.layer, m.popup);
  if (b.seat) xdg_popup_grab(m.popup, b.seat, b.pressSerial);
  wl_surface_commit(m.surface);
  return true;
}

void Present(ModalSurface& m, const std::function<void(QImage&)>& paint) {
  if (!m.configured || m.closed) return;
  if (!m.acked) {
    xdg_surface_ack_configure(m.xdg, m.serial);
    m.acked = true;
  }
  if (!m.buffer || m.buffer->busy) {
    if (m.buffer) DestroyBuffer(*m.buffer);
    m.buffer = MakeBuffer(m.width, m.height);
    if (!m.buffer) return;
  }
  QImage image(static_cast<uchar*>(m.buffer->pixels), m.width, m.height, m.width * 4,
               QImage::Format_ARGB32_Premultiplied);
  paint(image);
  wl_surface_attach(m.surface, m.buffer->buffer, 0, 0);
  wl_surface_damage_buffer(m.surface, 0, 0, m.width, m.height);
  m.buffer->busy = true;
  wl_surface_commit(m.surface);
  m.shown = true;
}

void CloseModal(ModalSurface& m) {
  Backend& b = B();
  if (b.pointerSurface == m.surface) b.pointerSurface = nullptr;
  if (b.keyboardSurface == m.surface) b.keyboardSurface = nullptr;
  if (m.decoration) zxdg_toplevel_decoration_v1_destroy(m.decoration);
  if (m.popup) xdg_popup_destroy(m.popup);
  if (m.toplevel) xdg_toplevel_destroy(m.toplevel);
  if (m.xdg) xdg_surface_destroy(m.xdg);
  if (m.surface) wl_surface_destroy(m.surface);
  if (m.buffer) DestroyBuffer(*m.buffer);
  m = ModalSurface{};
  Flush();
}

void RunModalLoop(const std::function<bool()>& done) {
  Backend& b = B();
  ++b.modalDepth;
  // A box shown for a fatal error stays until answered; otherwise an exit
  // ends the modal window.
  const bool exitBefore = ExitPending();
  while (!done() && (exitBefore || !ExitPending())) {
    PumpOnce(kModalPassMs);
    if (g_watcher) g_watcher();
  }
  --b.modalDepth;
}

void NoteModal(ModalKind kind, const std::string& text, const ModalSurface* surface,
               const std::vector<QRect>& targets) {
  g_open = OpenModal{kind, text, surface, {}};
  for (const QRect& r : targets) {
    g_open.targets.push_back({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
  }
}

const OpenModal& CurrentOpenModal() { return g_open; }

void SetModalWatcher(std::function<void()> watcher) { g_watcher = std::move(watcher); }

}  // namespace plat::wl
