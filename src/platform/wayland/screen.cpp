// The work area: a layer surface anchored to all four edges of the output,
// with no content and no exclusive zone, is configured by the compositor to
// the size of the output's usable area (panels left out); the sprites,
// anchored to its top-left, play in it. It is never shown.
#include <wayland-client.h>

#include "platform/screen.h"
#include "platform/wayland/screen_watch.h"
#include "platform/wayland/state.h"
#include "platform/wayland/protocols.h"

namespace plat::wl {
namespace {

void OnConfigure(void*, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t w, std::uint32_t h) {
  Backend& b = B();
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  b.workWidth = static_cast<int>(w);
  b.workHeight = static_cast<int>(h);
}

void MakeProbe();

// The output went: the compositor's next output gets the probe.
void OnClosed(void*, zwlr_layer_surface_v1*) {
  StopScreenProbe();
  B().workWidth = B().workHeight = 0;
  MakeProbe();
}
const zwlr_layer_surface_v1_listener kProbeListener = {OnConfigure, OnClosed};

void MakeProbe() {
  Backend& b = B();
  b.probeSurface = wl_compositor_create_surface(b.compositor);
  b.probe = zwlr_layer_shell_v1_get_layer_surface(b.layerShell, b.probeSurface, nullptr,
                                                  ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "zembrant-screen");
  zwlr_layer_surface_v1_add_listener(b.probe, &kProbeListener, nullptr);
  zwlr_layer_surface_v1_set_anchor(b.probe, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_size(b.probe, 0, 0);
  // Nothing to click: all input falls through.
  wl_region* none = wl_compositor_create_region(b.compositor);
  wl_surface_set_input_region(b.probeSurface, none);
  wl_region_destroy(none);
  wl_surface_commit(b.probeSurface);
}

}  // namespace

bool StartScreenProbe() {
  Backend& b = B();
  MakeProbe();
  for (int i = 0; i < 3 && b.workWidth <= 0; ++i) Roundtrip();
  return b.workWidth > 0 && b.workHeight > 0;
}

void StopScreenProbe() {
  Backend& b = B();
  if (b.probe) zwlr_layer_surface_v1_destroy(b.probe);
  if (b.probeSurface) wl_surface_destroy(b.probeSurface);
  b.probe = nullptr;
  b.probeSurface = nullptr;
}

void ThrowScreenChange() {
  Backend& b = B();
  if (!b.watched || b.workWidth <= 0) return;
  if (b.watched->first == b.workWidth && b.watched->second == b.workHeight) return;
  b.watched.reset();
  throw ScreenChanged{};
}

}  // namespace plat::wl

namespace plat {

using namespace plat::wl;

ScreenInfo GetScreen() {
  const Backend& b = B();
  ScreenInfo s;
  s.width = b.workWidth;
  s.height = b.workHeight;
  s.workArea = {0, 0, b.workWidth, b.workHeight};
  return s;
}

void WatchScreen(bool on) {
  Backend& b = B();
  if (on) {
    b.watched = std::make_pair(b.workWidth, b.workHeight);
  } else {
    b.watched.reset();
  }
}

}  // namespace plat
