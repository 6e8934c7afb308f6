// Giving a window a shape's size, picture and outline.
#pragma once

#include "game/form.h"
#include "platform/region.h"
#include "shapes/shape_table.h"

namespace zb {

// Height, then Width, in twips from the shape's size; a number outside 0..14
// changes nothing.
void SizeWindowToShape(int shape, WindowOps& window);
// The window's picture becomes pPicture(shape).
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

}  // namespace zb
