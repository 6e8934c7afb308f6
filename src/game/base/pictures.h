// The pictures compiled into the program.
#pragma once

#include "platform/types.h"

namespace zb {

// pPicture(shape): the picture of shape 0..14 (nullptr for other numbers).
const plat::Picture* ShapePicture(int shape);
// Picture1(i): the balloon's cap pictures 0..3 (nullptr for other numbers).
const plat::Picture* BalloonCapPicture(int index);
// The program's 32 x 32 icon.
const plat::Picture* ProgramIcon();

}  // namespace zb
