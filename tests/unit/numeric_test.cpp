// The game's number rules: halves to even, integer division of rounded
// operands, loud overflow.
#include "platform/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/errors.h"

namespace {

using plat::FloorToInt32;
using plat::IntDiv;
using plat::RoundToInt32;
using plat::RuntimeError;

// The error text of what `f` throws ("" when it throws nothing).
template <class F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.what();
  }
  return "";
}

TEST(NumericTest, HalvesRoundToEven) {
  EXPECT_EQ(RoundToInt32(0.5), 0);
  EXPECT_EQ(RoundToInt32(1.5), 2);
  EXPECT_EQ(RoundToInt32(2.5), 2);
  EXPECT_EQ(RoundToInt32(3.5), 4);
  EXPECT_EQ(RoundToInt32(-0.5), 0);
  EXPECT_EQ(RoundToInt32(-1.5), -2);
  EXPECT_EQ(RoundToInt32(-2.5), -2);
  EXPECT_EQ(RoundToInt32(2.4999), 2);
  EXPECT_EQ(RoundToInt32(2.5001), 3);
  EXPECT_EQ(RoundToInt32(-2.5001), -3);
}

TEST(NumericTest, SinglePrecisionValuesRoundAsStored) {
  // Half a pixel in twips, added up in a single: 7.5 per frame.
  float x = 0;
  for (int i = 0; i < 3; ++i) x = plat::Single(x + 7.5);
  EXPECT_EQ(RoundToInt32(x), 22);  // 22.5 -> 22
  x = plat::Single(x + 7.5);
  EXPECT_EQ(RoundToInt32(x), 30);
}

TEST(NumericTest, ThirtyTwoBitOverflowThrows) {
  EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
  EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
  EXPECT_EQ(RoundToInt32(-2147483648.5), std::numeric_limits<std::int32_t>::min());  // even
  EXPECT_EQ(ErrorOf([] { RoundToInt32(2147483647.5); }), "Overflow");
  EXPECT_EQ(ErrorOf([] { RoundToInt32(-2147483649.0); }), "Overflow");
  EXPECT_EQ(ErrorOf([] { RoundToInt32(1e300); }), "Overflow");
  EXPECT_EQ(ErrorOf([] { RoundToInt32(std::numeric_limits<double>::infinity()); }), "Overflow");
  EXPECT_EQ(ErrorOf([] { RoundToInt32(std::nan("")); }), "Overflow");
}

TEST(NumericTest, IntDivTruncatesTowardZero) {
  EXPECT_EQ(IntDiv(7, 2), 3);
  EXPECT_EQ(IntDiv(-7, 2), -3);
  EXPECT_EQ(IntDiv(7, -2), -3);
  EXPECT_EQ(IntDiv(-7, -2), 3);
  EXPECT_EQ(IntDiv(1, 15), 0);
  EXPECT_EQ(IntDiv(-14, 15), 0);
  EXPECT_EQ(IntDiv(13695, 15), 913);
}

TEST(NumericTest, IntDivRoundsItsOperandsFirst) {
  EXPECT_EQ(IntDiv(7.5, 2), 4);     // 8 \ 2
  EXPECT_EQ(IntDiv(6.5, 2), 3);     // 6 \ 2
  EXPECT_EQ(IntDiv(-7.5, 2), -4);   // -8 \ 2
  EXPECT_EQ(IntDiv(-6.5, 2), -3);   // -6 \ 2
  EXPECT_EQ(IntDiv(5, 2.5), 2);     // 5 \ 2
  EXPECT_EQ(IntDiv(5, 1.5), 2);     // 5 \ 2
  EXPECT_EQ(IntDiv(-5, -1.5), 2);   // -5 \ -2
  EXPECT_EQ(IntDiv(13687.5, 15), 912);  // 13688 \ 15
}

TEST(NumericTest, IntDivFailsLoudly) {
  EXPECT_EQ(ErrorOf([] { IntDiv(1, 0.4); }), "Division by zero");  // 0.4 rounds to 0
  EXPECT_EQ(ErrorOf([] { IntDiv(1, -0.5); }), "Division by zero");
  EXPECT_EQ(ErrorOf([] { IntDiv(-2147483648.0, -1); }), "Overflow");
  EXPECT_EQ(ErrorOf([] { IntDiv(3e9, 2); }), "Overflow");
}

TEST(NumericTest, FloorRoundsDown) {
  EXPECT_EQ(FloorToInt32(2.9), 2);
  EXPECT_EQ(FloorToInt32(-0.5), -1);
  EXPECT_EQ(FloorToInt32(-3.0), -3);
  EXPECT_EQ(ErrorOf([] { FloorToInt32(2147483648.0); }), "Overflow");
  EXPECT_EQ(FloorToInt32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ErrorOf([] { FloorToInt32(-2147483648.5); }), "Overflow");
  EXPECT_EQ(ErrorOf([] { FloorToInt32(std::nan("")); }), "Overflow");
}

}  // namespace
