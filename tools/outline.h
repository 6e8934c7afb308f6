// The rule that turns a picture into its outline rectangles.
#pragma once

#include <cstdint>
#include <vector>

#include "image.h"

namespace zb::tools {

struct OutlineRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const OutlineRect&, const OutlineRect&) = default;
};

// For each row the maximal runs of pixels that differ from `key`, as [x0, x1);
// consecutive rows with identical runs merged into one band [y0, y1); emitted
// band by band, left to right. A run reaching the right edge ends at
// width + 1.
std::vector<OutlineRect> DeriveOutline(const Image& img, std::uint32_t key);

// The smallest rectangle enclosing all of `rects` (all zero when empty).
OutlineRect BoundOf(const std::vector<OutlineRect>& rects);

}  // namespace zb::tools
