// The stage: one overlay layer surface over the output's usable area that
// holds every sprite as a subsurface. The layer shell leaves the order of
// surfaces within a layer to the compositor (sway puts a new one below the
// others), while subsurfaces stack as their parent says: showing a sprite
// puts it on top, as the game expects. Its configured size is the work area.
#include <algorithm>

#include "platform/screen.h"
#include "platform/wayland/protocols.h"
#include "platform/wayland/state.h"

namespace plat::wl {
namespace {

// Configures that have not come after this many round trips will not.
constexpr int kConfigureRoundtrips = 3;

void OnConfigure(void*, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t w, std::uint32_t h) {
  Stage& st = B().stage;
  st.configureSerial = serial;
  st.configured = true;
  st.acked = false;
  st.changed = true;
  st.width = static_cast<int>(w);
  st.height = static_cast<int>(h);
}

void OnClosed(void*, zwlr_layer_surface_v1*) {
  B().stage.closed = true;
  B().stage.changed = true;
}
const zwlr_layer_surface_v1_listener kStageListener = {OnConfigure, OnClosed};

// The outputs the stage is on decide the sprites' scale.
void SurfaceEnter(void*, wl_surface*, wl_output* output) {
  B().stageOutputs.push_back(output);
  UpdateScale();
}
void SurfaceLeave(void*, wl_surface*, wl_output* output) {
  std::erase(B().stageOutputs, output);
  UpdateScale();
}
const wl_surface_listener kSurfaceListener = {SurfaceEnter, SurfaceLeave};

void MakeStage() {
  Backend& b = B();
  Stage& st = b.stage;
  st.surface = wl_compositor_create_surface(b.compositor);
  wl_surface_add_listener(st.surface, &kSurfaceListener, nullptr);
  b.stageOutputs.clear();
  st.layer = zwlr_layer_shell_v1_get_layer_surface(b.layerShell, st.surface, nullptr,
                                                   ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "zembrant");
  zwlr_layer_surface_v1_add_listener(st.layer, &kStageListener, nullptr);
  zwlr_layer_surface_v1_set_anchor(st.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                 ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                 ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_size(st.layer, 0, 0);
  SetStageKeyboard();
  wl_surface_commit(st.surface);
  st.inputChanged = st.changed = true;
}

// A region of the stage: the outlines of the shown sprites.
wl_region* InputRegion() {
  Backend& b = B();
  wl_region* region = wl_compositor_create_region(b.compositor);
  for (WindowId id : b.stacking) {
    const WindowRec* rec = FindWindow(id);
    if (!rec) continue;
    Region shown(Rect{0, 0, rec->rect.Width(), rec->rect.Height()});
    if (rec->outline) shown.Intersect(*rec->outline);
    for (const Rect& r : shown.Rects()) {
      wl_region_add(region, rec->rect.left + r.left, rec->rect.top + r.top, r.Width(), r.Height());
    }
  }
  return region;
}

// A transparent buffer of the stage's size: a layer surface shows once it
// has one. Nothing of it shows, so it keeps one pixel per logical pixel
// whatever the output's scale.
void FillStage() {
  Stage& st = B().stage;
  if (st.buffer && st.buffer->width == st.width && st.buffer->height == st.height) return;
  if (st.buffer) DestroyBuffer(*st.buffer);
  st.buffer = MakeBuffer(st.width, st.height);  // memfd pages start zeroed: transparent
  if (!st.buffer) return;
  wl_surface_attach(st.surface, st.buffer->buffer, 0, 0);
  wl_surface_damage_buffer(st.surface, 0, 0, st.width, st.height);
}

}  // namespace

void UpdateScale() {
  Backend& b = B();
  int scale = 1;
  for (wl_output* output : b.stageOutputs) {
    const auto it = b.outputScales.find(output);
    if (it != b.outputScales.end()) scale = std::max(scale, it->second);
  }
  if (scale == b.scale) return;
  b.scale = scale;
  for (auto& [id, rec] : b.windows) {
    if (rec.kind == Kind::kSprite) rec.dirty = true;  // painted anew at that scale
  }
}

bool StartStage() {
  Backend& b = B();
  MakeStage();
  for (int i = 0; i < kConfigureRoundtrips && !b.stage.configured; ++i) Roundtrip();
  if (!b.stage.configured || b.stage.width <= 0 || b.stage.height <= 0) return false;
  CommitStage();
  Roundtrip();
  return true;
}

void StopStage() {
  Stage& st = B().stage;
  if (st.buffer) DestroyBuffer(*st.buffer);
  if (st.layer) zwlr_layer_surface_v1_destroy(st.layer);
  if (st.surface) wl_surface_destroy(st.surface);
  st = Stage{};
}

void SetStageKeyboard() {
  Backend& b = B();
  const Stage& st = b.stage;
  // On demand only while it has the keyboard: some compositors (sway 1.7)
  // give an on-demand layer surface the keyboard whenever they arrange the
  // layers, not only on a click.
  const bool has = b.keyboardSurface == st.surface && st.surface;
  const bool onDemand = has && !st.dialogOpen && !st.yielding && b.layerShellVersion >= 4;
  const std::uint32_t mode = st.keyboardWanted ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                             : onDemand        ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND
                                               : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE;
  zwlr_layer_surface_v1_set_keyboard_interactivity(b.stage.layer, mode);
  b.stage.changed = true;
}

void CommitStage() {
  Backend& b = B();
  Stage& st = b.stage;
  if (st.closed) {
    // Its output went: the sprites' surfaces go with it and come back on
    // the stage made anew (on the compositor's next output).
    for (WindowId id : std::vector<WindowId>(b.stacking)) {
      if (WindowRec* rec = FindWindow(id)) {
        HideSurface(*rec);
        rec->moved = true;
      }
    }
    StopStage();
    MakeStage();
    return;
  }
  if (!st.configured || !st.changed) return;
  if (!st.acked) {
    zwlr_layer_surface_v1_ack_configure(st.layer, st.configureSerial);
    st.acked = true;
  }
  FillStage();
  if (st.inputChanged) {
    wl_region* region = InputRegion();
    wl_surface_set_input_region(st.surface, region);
    wl_region_destroy(region);
    st.inputChanged = false;
  }
  wl_surface_commit(st.surface);
  st.changed = false;
}

void NoteFocusGiven() {
  Backend& b = B();
  if (b.keyboardSurface != b.stage.surface || b.stage.surface == nullptr) return;
  b.stage.keyboardWanted = false;  // from now on a click elsewhere gives it back
  SetStageKeyboard();
  const WindowId id = b.focus;
  if (id == kNoWindow) return;
  Defer([id] {
    const WindowRec* rec = FindWindow(id);
    if (!rec || !rec->onGotFocus) return;
    const std::function<void()> handler = rec->onGotFocus;
    handler();
  });
}

void ThrowScreenChange() {
  Backend& b = B();
  const Stage& st = b.stage;
  if (!b.watched || st.width <= 0) return;
  if (b.watched->first == st.width && b.watched->second == st.height) return;
  b.watched.reset();
  throw ScreenChanged{};
}

}  // namespace plat::wl

namespace plat::wl {

using namespace plat::wl;

ScreenInfo GetScreen() {
  const Stage& st = B().stage;
  ScreenInfo s;
  s.width = st.width;
  s.height = st.height;
  s.workArea = {0, 0, st.width, st.height};
  return s;
}

void WatchScreen(bool on) {
  Backend& b = B();
  if (on) {
    b.watched = std::make_pair(b.stage.width, b.stage.height);
  } else {
    b.watched.reset();
  }
}

}  // namespace plat::wl
