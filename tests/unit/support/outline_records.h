// Reading outline records back as rectangles and pixels, for the tests of the
// shape and balloon tables and of the scenery.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/types.h"

namespace zb::test {

// The first nCount rectangles of a record in the RGNDATA word layout.
template <typename Words>
std::vector<plat::Rect> RecordRects(const Words& words) {
  std::vector<plat::Rect> out;
  for (std::uint32_t i = 0; i < words[2]; ++i) {
    auto field = [&](int j) { return static_cast<std::int32_t>(words[8 + 4 * i + j]); };
    out.push_back({field(0), field(1), field(2), field(3)});
  }
  return out;
}

// Which pixels of a width x height window a list of rectangles covers.
class PixelMask {
 public:
  PixelMask(int width, int height, const std::vector<plat::Rect>& rects)
      : width_(width), height_(height), on_(static_cast<std::size_t>(width) * height, false) {
    for (const plat::Rect& r : rects)
      for (int y = std::max(r.top, 0); y < std::min(r.bottom, height); ++y)
        for (int x = std::max(r.left, 0); x < std::min(r.right, width); ++x) on_[Index(x, y)] = true;
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Pixels outside the window count as not covered.
  bool At(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_ && on_[Index(x, y)]; }

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
  int width_;
  int height_;
  std::vector<bool> on_;
};

}  // namespace zb::test
