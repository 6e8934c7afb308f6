// A set of pixels made of rectangles, on pixman's banded regions. Outlines of
// windows and every collision test of the game are regions.
#pragma once

#include <pixman.h>

#include <cstdint>
#include <span>
#include <vector>

#include "platform/types.h"

namespace plat {

// How a region looks in canonical form: disjoint rectangles in y-x bands,
// vertically adjacent bands with identical spans merged.
enum class RegionKind {
  kEmpty,    // no pixel
  kSimple,   // exactly one rectangle
  kComplex,  // two or more rectangles
};

class Region {
 public:
  Region();
  explicit Region(const Rect& r);
  // The union of the given rectangles (empty ones are ignored).
  static Region FromRects(std::span<const Rect> rects);

  Region(const Region& other);
  Region(Region&& other) noexcept;
  Region& operator=(const Region& other);
  Region& operator=(Region&& other) noexcept;
  ~Region();

  void Offset(int dx, int dy);
  void Intersect(const Region& other);  // this = this ∩ other
  void Unite(const Region& other);      // this = this ∪ other
  void Subtract(const Region& other);   // this = this \ other
  void Unite(const Rect& r);

  RegionKind Kind() const;
  bool IsEmpty() const { return Kind() == RegionKind::kEmpty; }
  // True when the rectangle shares at least one pixel with the region.
  bool OverlapsRect(const Rect& r) const;
  bool ContainsPoint(int x, int y) const;
  // The canonical rectangles, band by band, left to right.
  std::vector<Rect> Rects() const;
  int RectCount() const;
  Rect Extents() const;  // all zero when empty

  friend bool operator==(const Region& a, const Region& b);

  // Regions alive in the process right now; tests use it to find leaks in
  // the game's own bookkeeping.
  static std::int64_t LiveCount();

 private:
  pixman_region32_t r_;
};

}  // namespace plat
