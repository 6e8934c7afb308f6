// The pictures compiled into the program.
#pragma once

#include "game/base/shape_table.h"
#include "platform/types.h"

namespace zb {

// The picture of shape 0..14 (nullptr for other numbers).
const plat::Picture* ShapePicture(int shape);
inline const plat::Picture* ShapePicture(Shape shape) { return ShapePicture(static_cast<int>(shape)); }
// The balloon's cap pictures 0..3 (nullptr for other numbers): the left cap
// with the tail, the plain right cap, the plain left cap, the right cap with
// the tail.
const plat::Picture* BalloonCapPicture(int index);
// The program's 32 x 32 icon.
const plat::Picture* ProgramIcon();

}  // namespace zb
