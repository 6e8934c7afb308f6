// Giving a window a shape's size, picture and outline.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "game/base/shape_table.h"
#include "game/base/window_model.h"
#include "platform/region.h"

namespace zb {

// Height, then Width, in twips from the shape's size; a number outside 0..14
// changes nothing.
void SizeWindowToShape(int shape, WindowOps& window);
// The window's picture becomes the shape's picture.
void SetShapePicture(int shape, WindowOps& window);
// Cuts the window to the shape's outline and returns a second, independent
// region of the same outline. A shape outside 0..15 is the run-time error
// "Subscript out of range"; a record that makes no region shows "It failed in
// reading of region data.", a window that cannot be cut "It failed in plastic
// surgery of a window.", and the program ends.
plat::Region CutWindowToShape(int shape, WindowOps& window);
// The shape's outline as a region of the caller's; touches no window.
plat::Region CreateShapeRegion(int shape);
// Cuts the window to `region`; failure is fatal as above.
void ApplyWindowRegion(const plat::Region& region, WindowOps& window);

// The same, by name.
inline void SizeWindowToShape(Shape shape, WindowOps& window) {
  SizeWindowToShape(static_cast<int>(shape), window);
}
inline void SetShapePicture(Shape shape, WindowOps& window) {
  SetShapePicture(static_cast<int>(shape), window);
}
inline plat::Region CutWindowToShape(Shape shape, WindowOps& window) {
  return CutWindowToShape(static_cast<int>(shape), window);
}
inline plat::Region CreateShapeRegion(Shape shape) {
  return CreateShapeRegion(static_cast<int>(shape));
}

// The region of a record in the RGNDATA word layout (header, then rectangles),
// or nothing when the record makes none: a header that is not {32, 1, n,
// 16 x n}, no rectangle, more rectangles than the record holds, or a
// rectangle with its right or bottom before its left or top.
std::optional<plat::Region> RegionFromRecordWords(std::span<const std::uint32_t> words);

// The plain English causes that follow a fatal box's text on stderr: the
// built-in outline record `index` of a table (`table`: "shape", "balloon
// part") makes no region; the window system cannot cut windows.
std::string DamagedOutline(const std::string& table, int index);
std::string CannotCut();

}  // namespace zb
