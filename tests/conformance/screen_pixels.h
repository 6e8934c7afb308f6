// What the drivers of the real backends read off the screen, worked out
// from device pixels: a window's ink, and the colour of one of its pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/region.h"
#include "platform/types.h"

namespace conformance {

// `pixels`: the device pixels (0xRRGGBB, row by row, `scale` to a pixel)
// under a window of `width` x `height` pixels. The extents, relative to the
// window, of its pixels inside `outline` that show something else than
// `back`; an empty Rect when none.
plat::Rect InkIn(const std::vector<std::uint32_t>& pixels, int width, int height, int scale, plat::Color back,
                 const plat::Region& outline);

// The colour every one of `pixels` shows; `mixed` when they differ, 0 for
// no pixels.
plat::Color OneColourIn(const std::vector<std::uint32_t>& pixels, plat::Color mixed);

}  // namespace conformance
