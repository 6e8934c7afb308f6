// The sprite windows' surfaces: each shown sprite is a subsurface of the
// stage (stage.cpp) at its position, its pixels in a shared-memory buffer,
// transparent outside the outline. It takes no input itself: the stage's
// input region is the outlines, and the backend finds the sprite clicked.
//
// A hidden sprite has no surface; showing one makes it anew, on top of the
// others. Changes are sent once per yield, one commit per changed sprite
// and one of the stage for places and stacking, and the yield returns once
// the compositor has them.
#include <QImage>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>

#include "platform/wayland/paint.h"
#include "platform/wayland/protocols.h"
#include "platform/wayland/state.h"
#include "platform/window.h"

namespace plat::wl {
namespace {

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

// Paints the sprite at the output's scale: whole device pixels per pixel,
// so pictures and outlines stay crisp.
bool SendPixels(WindowRec& rec) {
  Surface& s = *rec.surface;
  const int scale = B().scale;
  const int w = s.placed.Width() * scale, h = s.placed.Height() * scale;
  Buffer* buf = FreeBuffer(s, w, h);
  if (!buf) return false;
  QImage image(static_cast<uchar*>(buf->pixels), w, h, w * 4, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(scale);
  const Rect origin{s.placed.left - rec.rect.left, s.placed.top - rec.rect.top, 0, 0};
  PaintSprite(rec, origin, image);
  wl_surface_set_buffer_scale(s.surface, scale);
  wl_surface_attach(s.surface, buf->buffer, 0, 0);
  wl_surface_damage_buffer(s.surface, 0, 0, w, h);
  buf->busy = true;
  return true;
}

// A new surface goes on top of the shown sprites.
void MakeSurface(WindowRec& rec) {
  Backend& b = B();
  auto s = std::make_unique<Surface>();
  s->surface = wl_compositor_create_surface(b.compositor);
  s->sub = wl_subcompositor_get_subsurface(b.subcompositor, s->surface, b.stage.surface);
  wl_subsurface_set_desync(s->sub);  // its pixels show without waiting for the stage
  if (const WindowRec* top = b.stacking.empty() ? nullptr : FindWindow(b.stacking.back())) {
    if (top->surface) wl_subsurface_place_above(s->sub, top->surface->surface);
  }
  wl_region* none = wl_compositor_create_region(b.compositor);  // the stage takes the clicks
  wl_surface_set_input_region(s->surface, none);
  wl_region_destroy(none);
  s->placed = SurfaceRect(rec);
  wl_subsurface_set_position(s->sub, s->placed.left, s->placed.top);
  rec.surface = std::move(s);
  b.stacking.push_back(rec.id);
  rec.dirty = true;
  b.stage.changed = b.stage.inputChanged = true;
  if (b.pendingFocus == rec.id) {
    b.pendingFocus = kNoWindow;
    plat::SetFocus(rec.id);
  }
}

bool Placeable(const WindowRec& rec) {
  const Rect r = SurfaceRect(rec);
  return rec.visible && r.Width() > 0 && r.Height() > 0;
}

// Sends what changed of one sprite's surface: its pixels in its own commit,
// its place with the stage's.
void Commit(WindowRec& rec) {
  Backend& b = B();
  Surface& s = *rec.surface;
  const Rect to = SurfaceRect(rec);
  if (to != s.placed) {
    if (to.Width() != s.placed.Width() || to.Height() != s.placed.Height()) rec.dirty = true;
    if (to.left != s.placed.left || to.top != s.placed.top) {
      wl_subsurface_set_position(s.sub, to.left, to.top);
      rec.dirty = rec.dirty || OneColourCutOut(rec);  // what shows is where the outline is
      b.stage.changed = true;
    }
    s.placed = to;
  }
  if (rec.moved || rec.reshaped) b.stage.changed = b.stage.inputChanged = true;
  rec.moved = rec.reshaped = false;
  if (!rec.dirty) return;
  if (SendPixels(rec)) s.committedBuffer = true;
  if (!s.frame) {
    s.frame = wl_surface_frame(s.surface);
    wl_callback_add_listener(s.frame, &kFrameListener, &s);
  }
  wl_surface_commit(s.surface);
  rec.dirty = false;
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

void MarkDirty(WindowId w) {
  if (WindowRec* top = TopLevelOf(w)) top->dirty = top->reshaped = true;
}

void SendChanges() {
  Backend& b = B();
  if (!b.stage.configured || b.stage.closed) {
    CommitStage();  // made anew when it was closed
    return;
  }
  bool sent = b.stage.changed;
  // Sprites shown since the last yield get their surfaces in the order they
  // were shown: the last one shown on top.
  std::vector<WindowRec*> sprites;
  for (auto& [id, rec] : b.windows) {
    if (rec.kind == Kind::kSprite) sprites.push_back(&rec);
  }
  std::stable_sort(sprites.begin(), sprites.end(),
                   [](const WindowRec* a, const WindowRec* b) { return a->shownAt < b->shownAt; });
  for (WindowRec* rec : sprites) {
    if (rec->surface && !Placeable(*rec)) HideSurface(*rec);
    if (!rec->surface && Placeable(*rec)) MakeSurface(*rec);
    if (!rec->surface) continue;
    sent = sent || rec->dirty || rec->moved || rec->reshaped;
    Commit(*rec);
  }
  CommitStage();
  if (sent) Roundtrip();
}

void ShowSurface(WindowRec& rec) {
  HideSurface(rec);  // shown anew: on top of the others
  rec.shownAt = ++B().shows;
  rec.moved = true;
}

void HideSurface(WindowRec& rec) {
  if (!rec.surface) return;
  Backend& b = B();
  Surface& s = *rec.surface;
  if (s.frame) wl_callback_destroy(s.frame);
  wl_subsurface_destroy(s.sub);
  wl_surface_destroy(s.surface);
  for (auto& buf : s.buffers) DestroyBuffer(*buf);
  rec.surface.reset();
  std::erase(b.stacking, rec.id);
  b.stage.changed = b.stage.inputChanged = true;
}

}  // namespace plat::wl
