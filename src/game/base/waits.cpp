// The plain waits.
#include "game/base/waits.h"

namespace zb {

void WaitMs(std::int32_t ms) { plat::Sleep(ms); }

void YieldAndWait(std::int32_t ms) {
  plat::DoEvents();
  WaitMs(ms);
}

}  // namespace zb
