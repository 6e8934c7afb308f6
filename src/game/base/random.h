// The game's one random generator: seeded once at start-up, drawn in the
// order the game's formulas are written.
#pragma once

#include <cstdint>

namespace zb {

void SeedRandom(std::uint64_t seed);
// rnd: a fresh uniform number in [0, 1).
double Rnd();

}  // namespace zb
