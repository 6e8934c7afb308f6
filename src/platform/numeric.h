// The number rules the game is written in: round half to even into 32 bits,
// integer division of rounded operands, 16-bit fields that overflow loudly.
#pragma once

#include <cstdint>

namespace plat {

// round(v): nearest integer, halves to even. Throws RuntimeError("Overflow")
// when the result does not fit 32 bits (or v is not a number).
std::int32_t RoundToInt32(double v);

// a \ b: both operands rounded with RoundToInt32, then divided truncating
// toward zero. Throws RuntimeError("Division by zero") when b rounds to 0.
std::int32_t IntDiv(double a, double b);

// floor(v) into 32 bits; throws RuntimeError("Overflow") when out of range.
std::int32_t FloorToInt32(double v);

// A value stored into a single-precision field.
inline float Single(double v) { return static_cast<float>(v); }

}  // namespace plat
