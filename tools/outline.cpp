// Outline rectangles from a picture and its key colour.
#include "outline.h"

#include <algorithm>

namespace zb::tools {
namespace {

struct Run {
  int x0 = 0;
  int x1 = 0;
  friend bool operator==(const Run&, const Run&) = default;
};

std::vector<Run> RowRuns(const Image& img, int y, std::uint32_t key) {
  std::vector<Run> runs;
  int x = 0;
  while (x < img.width) {
    if (img.At(x, y) == key) {
      ++x;
      continue;
    }
    int start = x;
    while (x < img.width && img.At(x, y) != key) ++x;
    runs.push_back({start, x == img.width ? x + 1 : x});
  }
  return runs;
}

void EmitBand(const std::vector<Run>& runs, int y0, int y1, std::vector<OutlineRect>& out) {
  for (const Run& r : runs) out.push_back({r.x0, y0, r.x1, y1});
}

}  // namespace

std::vector<OutlineRect> DeriveOutline(const Image& img, std::uint32_t key) {
  std::vector<OutlineRect> out;
  std::vector<Run> band;
  int bandTop = 0;
  for (int y = 0; y < img.height; ++y) {
    std::vector<Run> runs = RowRuns(img, y, key);
    if (y > 0 && runs == band) continue;
    EmitBand(band, bandTop, y, out);
    band = std::move(runs);
    bandTop = y;
  }
  EmitBand(band, bandTop, img.height, out);
  return out;
}

OutlineRect BoundOf(const std::vector<OutlineRect>& rects) {
  if (rects.empty()) return {};
  OutlineRect b = rects.front();
  for (const OutlineRect& r : rects) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

}  // namespace zb::tools
