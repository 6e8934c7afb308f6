// The staff roll after a won stage.
#pragma once

namespace zb {

void RunStaffRoll();

}  // namespace zb
