// The surfaces of modal windows: the popup menu (an xdg_popup of the
// clicked sprite) and the dialogs (xdg_toplevels the compositor decorates),
// painted with Qt like the sprites (modal.cpp).
#pragma once

#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/wayland/state.h"

struct xdg_popup;
struct xdg_surface;
struct xdg_toplevel;
struct zxdg_toplevel_decoration_v1;

namespace plat::wl {

struct ModalSurface {
  wl_surface* surface = nullptr;
  xdg_surface* xdg = nullptr;
  xdg_toplevel* toplevel = nullptr;
  xdg_popup* popup = nullptr;
  zxdg_toplevel_decoration_v1* decoration = nullptr;
  std::unique_ptr<Buffer> buffer;
  int width = 0, height = 0;
  int x = 0, y = 0;  // popups: where the compositor put it on the stage
  std::uint32_t serial = 0;
  bool configured = false;
  bool acked = true;
  bool shown = false;   // a buffer has been committed
  bool closed = false;  // dismissed by the compositor or its close box
};

// A managed window with a title and a fixed size.
bool OpenToplevel(ModalSurface& m, const std::string& title, int width, int height);
// A popup of the stage, its top-left at (x, y) of the stage or moved by the
// compositor to fit, with an explicit grab.
bool OpenPopup(ModalSurface& m, int x, int y, int width, int height);
// Paints and commits it (once configured).
void Present(ModalSurface& m, const std::function<void(QImage&)>& paint);
void CloseModal(ModalSurface& m);

// Runs the modal loop until `done` holds or the program is ending; ticks
// keep coming. The modal's pointer and keys go to the given callbacks.
void RunModalLoop(const std::function<bool()>& done);

}  // namespace plat::wl
