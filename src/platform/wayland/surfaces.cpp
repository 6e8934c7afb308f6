// The sprite windows' layer surfaces: each shown sprite is a surface on the
// overlay layer, anchored to the top-left of the output's usable area with
// its position as margins, its pixels in a shared-memory buffer (transparent
// outside the outline) and its input region the outline.
//
// A hidden sprite has no surface; showing one makes it anew, on top of the
// others of the layer. Changes are sent once per yield, in one commit per
// surface, and the yield returns once the compositor has them.
#include <QImage>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>

#include "platform/wayland/paint.h"
#include "platform/wayland/state.h"
#include "platform/wayland/protocols.h"

namespace plat::wl {
namespace {

// Configures that have not come after this many round trips will not.
constexpr int kConfigureRoundtrips = 3;
// A surface's buffers the compositor still reads beyond which the next is
// made anyway.
constexpr std::size_t kMaxBuffers = 4;

void OnRelease(void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; }
const wl_buffer_listener kBufferListener = {OnRelease};

}  // namespace

void DestroyBuffer(Buffer& buf) {
  if (buf.buffer) wl_buffer_destroy(buf.buffer);
  if (buf.pixels) munmap(buf.pixels, buf.bytes);
  buf = Buffer{};
}

std::unique_ptr<Buffer> MakeBuffer(int width, int height) {
  const int stride = width * 4;
  const std::size_t bytes = static_cast<std::size_t>(stride) * height;
  const int fd = memfd_create("zembrant-sprite", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  if (ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
    close(fd);
    return nullptr;
  }
  void* pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  wl_shm_pool* pool = wl_shm_create_pool(B().shm, fd, static_cast<std::int32_t>(bytes));
  close(fd);
  auto buf = std::make_unique<Buffer>();
  buf->buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_ARGB8888);
  wl_shm_pool_destroy(pool);
  buf->pixels = pixels;
  buf->bytes = bytes;
  buf->width = width;
  buf->height = height;
  wl_buffer_add_listener(buf->buffer, &kBufferListener, buf.get());
  return buf;
}

namespace {

// A buffer of that size the compositor is not reading; old sizes go.
Buffer* FreeBuffer(Surface& s, int width, int height) {
  std::erase_if(s.buffers, [&](const std::unique_ptr<Buffer>& b) {
    const bool stale = !b->busy && (b->width != width || b->height != height);
    if (stale) DestroyBuffer(*b);
    return stale;
  });
  for (auto& b : s.buffers) {
    if (!b->busy) return b.get();
  }
  if (s.buffers.size() >= kMaxBuffers) {  // the compositor keeps them all: the oldest goes
    DestroyBuffer(*s.buffers.front());
    s.buffers.erase(s.buffers.begin());
  }
  std::unique_ptr<Buffer> made = MakeBuffer(width, height);
  if (!made) return nullptr;
  s.buffers.push_back(std::move(made));
  return s.buffers.back().get();
}

void OnConfigure(void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t, std::uint32_t) {
  auto* s = static_cast<Surface*>(data);
  s->configureSerial = serial;
  s->configured = true;
  s->acked = false;
}

// The compositor took the surface away (its output went): it is made anew.
void OnClosed(void* data, zwlr_layer_surface_v1*) { static_cast<Surface*>(data)->closed = true; }
const zwlr_layer_surface_v1_listener kLayerListener = {OnConfigure, OnClosed};

void OnFrame(void* data, wl_callback* cb, std::uint32_t) {
  static_cast<Surface*>(data)->frame = nullptr;
  wl_callback_destroy(cb);
  Backend& b = B();
  ++b.presented;
  b.lastPresentedUs = SteadyUs();
}
const wl_callback_listener kFrameListener = {OnFrame};

bool OneColourCutOut(const WindowRec& rec) {
  return rec.outline && !rec.picture && rec.children.empty() && rec.texts.empty() && rec.caption.empty() &&
         !rec.onMouseDown;
}

Region ClippedOutline(const WindowRec& rec) {
  Region shown(Rect{0, 0, rec.rect.Width(), rec.rect.Height()});
  if (rec.outline) shown.Intersect(*rec.outline);
  return shown;
}

void SendInputRegion(const WindowRec& rec) {
  Surface& s = *rec.surface;
  wl_region* region = wl_compositor_create_region(B().compositor);
  const int dx = rec.rect.left - s.placed.left, dy = rec.rect.top - s.placed.top;
  for (const Rect& r : ClippedOutline(rec).Rects()) {
    wl_region_add(region, r.left + dx, r.top + dy, r.Width(), r.Height());
  }
  wl_surface_set_input_region(s.surface, region);
  wl_region_destroy(region);
}

bool SendPixels(WindowRec& rec) {
  Surface& s = *rec.surface;
  const int w = s.placed.Width(), h = s.placed.Height();
  Buffer* buf = FreeBuffer(s, w, h);
  if (!buf) return false;
  QImage image(static_cast<uchar*>(buf->pixels), w, h, w * 4, QImage::Format_ARGB32_Premultiplied);
  const Rect origin{s.placed.left - rec.rect.left, s.placed.top - rec.rect.top, 0, 0};
  PaintSprite(rec, origin, image);
  wl_surface_attach(s.surface, buf->buffer, 0, 0);
  wl_surface_damage_buffer(s.surface, 0, 0, w, h);
  buf->busy = true;
  return true;
}

void MakeSurface(WindowRec& rec) {
  Backend& b = B();
  auto s = std::make_unique<Surface>();
  s->made = ++b.surfacesMade;
  s->surface = wl_compositor_create_surface(b.compositor);
  wl_surface_set_user_data(s->surface, reinterpret_cast<void*>(static_cast<std::uintptr_t>(rec.id)));
  s->layer = zwlr_layer_shell_v1_get_layer_surface(b.layerShell, s->surface, nullptr,
                                                   ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "zembrant");
  zwlr_layer_surface_v1_add_listener(s->layer, &kLayerListener, s.get());
  zwlr_layer_surface_v1_set_anchor(s->layer,
                                   ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
  s->placed = SurfaceRect(rec);
  zwlr_layer_surface_v1_set_size(s->layer, s->placed.Width(), s->placed.Height());
  zwlr_layer_surface_v1_set_margin(s->layer, s->placed.top, 0, 0, s->placed.left);
  s->keyboardWanted = b.pendingFocus == rec.id;
  if (s->keyboardWanted) b.pendingFocus = kNoWindow;
  SetKeyboard(*s);
  wl_surface_commit(s->surface);
  rec.surface = std::move(s);
  rec.dirty = rec.moved = rec.reshaped = true;
}

void DestroySurface(WindowRec& rec) {
  if (!rec.surface) return;
  Backend& b = B();
  Surface& s = *rec.surface;
  if (b.pointerSurface == s.surface) b.pointerSurface = nullptr;
  if (b.keyboardSurface == s.surface) b.keyboardSurface = nullptr;
  if (s.frame) wl_callback_destroy(s.frame);
  zwlr_layer_surface_v1_destroy(s.layer);
  wl_surface_destroy(s.surface);
  for (auto& buf : s.buffers) DestroyBuffer(*buf);
  rec.surface.reset();
}

bool Placeable(const WindowRec& rec) {
  const Rect r = SurfaceRect(rec);
  return rec.visible && r.Width() > 0 && r.Height() > 0;
}

// Sends what changed of one configured surface, in one commit.
void Commit(WindowRec& rec) {
  Surface& s = *rec.surface;
  const Rect to = SurfaceRect(rec);
  if (to != s.placed) {
    if (to.Width() != s.placed.Width() || to.Height() != s.placed.Height()) {
      zwlr_layer_surface_v1_set_size(s.layer, to.Width(), to.Height());
      rec.dirty = rec.reshaped = true;
    }
    if (to.left != s.placed.left || to.top != s.placed.top) {
      zwlr_layer_surface_v1_set_margin(s.layer, to.top, 0, 0, to.left);
      rec.dirty = rec.reshaped = true;  // what shows is where the outline is
    }
    s.placed = to;
  }
  const bool changes = rec.dirty || rec.reshaped || !s.acked || !s.committedBuffer || rec.moved;
  if (!changes) return;
  if (!s.acked) {
    zwlr_layer_surface_v1_ack_configure(s.layer, s.configureSerial);
    s.acked = true;
  }
  if (rec.reshaped) SendInputRegion(rec);
  if ((rec.dirty || !s.committedBuffer) && SendPixels(rec)) s.committedBuffer = true;
  if (!s.frame) {
    s.frame = wl_surface_frame(s.surface);
    wl_callback_add_listener(s.frame, &kFrameListener, &s);
  }
  wl_surface_commit(s.surface);
  rec.dirty = rec.moved = rec.reshaped = false;
}

}  // namespace

Rect SurfaceRect(const WindowRec& rec) {
  const Rect& r = rec.rect;
  if (!OneColourCutOut(rec)) return r;
  // One colour and nothing else: only its outline's extents need a buffer
  // (the enemy shots' and the burst's windows are far larger than what shows).
  const Rect e = ClippedOutline(rec).Extents();
  return {r.left + e.left, r.top + e.top, r.left + e.right, r.top + e.bottom};
}

void SetKeyboard(Surface& s) {
  const std::uint32_t mode =
      s.keyboardWanted                   ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
      : B().layerShellVersion >= 4 ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND
                                         : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE;
  zwlr_layer_surface_v1_set_keyboard_interactivity(s.layer, mode);
}

void MarkDirty(WindowId w) {
  if (WindowRec* top = TopLevelOf(w)) top->dirty = true;
}

void SendChanges() {
  Backend& b = B();
  bool waiting = false;
  for (auto& [id, rec] : b.windows) {
    if (rec.kind != Kind::kSprite) continue;
    if (rec.surface && (rec.surface->closed || !Placeable(rec))) DestroySurface(rec);
    if (!rec.surface && Placeable(rec)) MakeSurface(rec);
    waiting = waiting || (rec.surface && !rec.surface->configured);
  }
  for (int i = 0; waiting && i < kConfigureRoundtrips; ++i) {
    Roundtrip();
    waiting = false;
    for (auto& [id, rec] : b.windows) waiting = waiting || (rec.surface && !rec.surface->configured);
  }
  bool sent = false;
  for (auto& [id, rec] : b.windows) {
    if (!rec.surface || !rec.surface->configured) continue;
    sent = sent || rec.dirty || rec.moved || rec.reshaped || !rec.surface->acked || !rec.surface->committedBuffer;
    Commit(rec);
  }
  if (sent) Roundtrip();
}

void ShowSurface(WindowRec& rec) {
  DestroySurface(rec);  // shown anew: on top of the others
  rec.moved = true;
}

void HideSurface(WindowRec& rec) { DestroySurface(rec); }

}  // namespace plat::wl
