// The game's random generator: a 64-bit Mersenne twister, 53-bit draws.
#include "game/base/random.h"

#include <random>

namespace zb {
namespace {
std::mt19937_64& Generator() {
  static std::mt19937_64 gen(0x5EED);
  return gen;
}
}  // namespace

void SeedRandom(std::uint64_t seed) { Generator().seed(seed); }

double Rnd() {
  // 53 random bits scaled into [0, 1): never 1.
  return static_cast<double>(Generator()() >> 11) * 0x1.0p-53;
}

}  // namespace zb
