// The built-in outlines: fifteen rectangle lists in the RGNDATA word layout,
// one per sprite picture, named by Shape.
#pragma once

#include <array>
#include <cstdint>

namespace zb {

// The shapes: a picture, its outline and its window size each (the pictures
// are listed in assets/README.md).
enum class Shape : int {
  kLamps = 0,
  kStaffFrame = 1,
  kCredits = 2,
  kClosingLine = 3,
  kTitle = 4,
  kCore = 5,
  kCave = 6,          // the scenery strip
  kCaveClosed = 7,    // the strip with the way back closed
  kBoss = 8,
  kWreck = 9,
  kShip = 10,
  kShipInvincible = 11,
  kEnemy = 12,
  kBlastA = 13,       // blast frames, shown in turn
  kBlastB = 14,
};

// Frame `n` of a blast: A, B, A, B...
constexpr Shape BlastFrame(int n) {
  return static_cast<Shape>(static_cast<int>(Shape::kBlastA) + n % 2);
}

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

// 16 records, shapes 0..15; 0..14 filled by BuildShapeTable, 15 stays zero.
extern std::array<RegionRecord, 16> RegionTable;

// Writes records 0..14 with the constant outline tables; calling it again
// rewrites the same values.
void BuildShapeTable();

}  // namespace zb
