// The built-in outlines: fifteen rectangle lists in the RGNDATA word layout,
// one per sprite picture, named by ShapeId.
#pragma once

#include <array>
#include <cstdint>

namespace zb {

using ShapeId = std::int16_t;

inline constexpr int kRegionRecordWords = 9592;
inline constexpr int kRegionRecordCapacity = (kRegionRecordWords - 8) / 4;  // 2,396 rectangles

// Word 0 dwSize (32), 1 iType (1), 2 nCount, 3 nRgnSize (16 x nCount),
// 4..7 rcBound (left, top, right, bottom), then nCount rectangles
// {left, top, right, bottom}, right and bottom exclusive, in pixels relative
// to the window's top-left. Signed fields are stored as their 32-bit pattern.
struct RegionRecord {
  std::array<std::uint32_t, kRegionRecordWords> words{};

  std::uint32_t dwSize() const { return words[0]; }
  std::uint32_t iType() const { return words[1]; }
  std::uint32_t nCount() const { return words[2]; }
  std::uint32_t nRgnSize() const { return words[3]; }
  std::int32_t rcBound(int i) const { return static_cast<std::int32_t>(words[4 + i]); }
  // Field j (0 left, 1 top, 2 right, 3 bottom) of rectangle i.
  std::int32_t rect(int i, int j) const { return static_cast<std::int32_t>(words[8 + 4 * i + j]); }
};

// 16 records, ShapeId 0..15; 0..14 filled by BuildShapeTable, 15 stays zero.
extern std::array<RegionRecord, 16> RegionTable;

// Writes records 0..14 with the constant outline tables; calling it again
// rewrites the same values.
void BuildShapeTable();

}  // namespace zb
