#include "conformance/screen_pixels.h"

#include <algorithm>
#include <cstddef>

namespace conformance {

plat::Rect InkIn(const std::vector<std::uint32_t>& pixels, int width, int height, int scale, plat::Color back,
                 const plat::Region& outline) {
  const std::uint32_t backRgb = (plat::RedOf(back) << 16) | (plat::GreenOf(back) << 8) | plat::BlueOf(back);
  const int row = width * scale;
  if (pixels.size() < static_cast<std::size_t>(row) * height * scale) return {};
  plat::Region ink;
  for (int y = 0; y < height * scale; ++y) {
    for (int x = 0; x < row; ++x) {
      const int px = x / scale, py = y / scale;
      if (pixels[static_cast<std::size_t>(y) * row + x] != backRgb && outline.ContainsPoint(px, py)) {
        ink.Unite(plat::Rect{px, py, px + 1, py + 1});
      }
    }
  }
  return ink.Extents();
}

plat::Color OneColourIn(const std::vector<std::uint32_t>& pixels, plat::Color mixed) {
  if (pixels.empty()) return 0;
  const std::uint32_t p = pixels.front();
  if (std::any_of(pixels.begin(), pixels.end(), [p](std::uint32_t q) { return q != p; })) return mixed;
  return plat::RGB((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff);
}

}  // namespace conformance
