// The boss's core colour, shared by its after-hit reaction and the tests.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace zb {

// Green for 8..10 hits left, pale yellow for 5..7, red for 0..4, black for
// anything else.
plat::Color CoreColor(std::int32_t power);

}  // namespace zb
