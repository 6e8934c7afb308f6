// Rounding and integer division the way the game's formulas are written.
#include "platform/numeric.h"

#include <cmath>
#include <limits>

#include "platform/errors.h"

namespace plat {
namespace {
double CheckedNearbyEven(double v, double lo, double hi) {
  if (std::isnan(v)) throw RuntimeError("Overflow");
  const double r = std::nearbyint(v);  // the default rounding mode: halves to even
  if (r < lo || r > hi) throw RuntimeError("Overflow");
  return r;
}
}  // namespace

std::int32_t RoundToInt32(double v) {
  return static_cast<std::int32_t>(CheckedNearbyEven(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int32_t IntDiv(double a, double b) {
  const std::int64_t ia = RoundToInt32(a);
  const std::int64_t ib = RoundToInt32(b);
  if (ib == 0) throw RuntimeError("Division by zero");
  const std::int64_t q = ia / ib;  // truncates toward zero
  if (q > std::numeric_limits<std::int32_t>::max()) throw RuntimeError("Overflow");
  return static_cast<std::int32_t>(q);
}

std::int32_t FloorToInt32(double v) {
  if (std::isnan(v)) throw RuntimeError("Overflow");
  const double f = std::floor(v);
  if (f < std::numeric_limits<std::int32_t>::min() ||
      f > std::numeric_limits<std::int32_t>::max()) {
    throw RuntimeError("Overflow");
  }
  return static_cast<std::int32_t>(f);
}

}  // namespace plat
