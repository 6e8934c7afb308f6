// Regions on pixman_region32.
#include "platform/region.h"

#include <atomic>

namespace plat {
namespace {
std::atomic<std::int64_t> g_live{0};

pixman_box32_t ToBox(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
Rect ToRect(const pixman_box32_t& b) { return {b.x1, b.y1, b.x2, b.y2}; }
}  // namespace

Region::Region() {
  pixman_region32_init(&r_);
  ++g_live;
}

Region::Region(const Rect& r) {
  if (r.right > r.left && r.bottom > r.top) {
    pixman_region32_init_rect(&r_, r.left, r.top, static_cast<unsigned>(r.Width()),
                              static_cast<unsigned>(r.Height()));
  } else {
    pixman_region32_init(&r_);
  }
  ++g_live;
}

Region Region::FromRects(std::span<const Rect> rects) {
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(rects.size());
  for (const Rect& r : rects) {
    if (r.right > r.left && r.bottom > r.top) boxes.push_back(ToBox(r));
  }
  Region out;
  pixman_region32_fini(&out.r_);
  pixman_region32_init_rects(&out.r_, boxes.data(), static_cast<int>(boxes.size()));
  return out;
}

Region::Region(const Region& other) {
  pixman_region32_init(&r_);
  pixman_region32_copy(&r_, &other.r_);
  ++g_live;
}

Region::Region(Region&& other) noexcept : Region() { std::swap(r_, other.r_); }

Region& Region::operator=(const Region& other) {
  if (this != &other) pixman_region32_copy(&r_, &other.r_);
  return *this;
}

Region& Region::operator=(Region&& other) noexcept {
  if (this != &other) std::swap(r_, other.r_);
  return *this;
}

Region::~Region() {
  pixman_region32_fini(&r_);
  --g_live;
}

void Region::Offset(int dx, int dy) { pixman_region32_translate(&r_, dx, dy); }

void Region::Intersect(const Region& other) {
  pixman_region32_intersect(&r_, &r_, &other.r_);
}

void Region::Subtract(const Region& other) {
  pixman_region32_subtract(&r_, &r_, &other.r_);
}

void Region::Unite(const Region& other) { pixman_region32_union(&r_, &r_, &other.r_); }

void Region::Unite(const Rect& r) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  pixman_region32_union_rect(&r_, &r_, r.left, r.top, static_cast<unsigned>(r.Width()),
                             static_cast<unsigned>(r.Height()));
}

RegionKind Region::Kind() const {
  const int n = pixman_region32_n_rects(&r_);
  if (n == 0) return RegionKind::kEmpty;
  return n == 1 ? RegionKind::kSimple : RegionKind::kComplex;
}

bool Region::OverlapsRect(const Rect& r) const {
  if (r.right <= r.left || r.bottom <= r.top) return false;
  pixman_box32_t box = ToBox(r);
  return pixman_region32_contains_rectangle(&r_, &box) != PIXMAN_REGION_OUT;
}

bool Region::ContainsPoint(int x, int y) const {
  return pixman_region32_contains_point(&r_, x, y, nullptr) != 0;
}

std::vector<Rect> Region::Rects() const {
  int n = 0;
  const pixman_box32_t* boxes = pixman_region32_rectangles(&r_, &n);
  std::vector<Rect> out;
  out.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) out.push_back(ToRect(boxes[i]));
  return out;
}

int Region::RectCount() const { return pixman_region32_n_rects(&r_); }

Rect Region::Extents() const {
  if (IsEmpty()) return {};
  return ToRect(*pixman_region32_extents(&r_));
}

bool operator==(const Region& a, const Region& b) {
  return pixman_region32_equal(&a.r_, &b.r_) != 0;
}

std::int64_t Region::LiveCount() { return g_live.load(); }

}  // namespace plat
