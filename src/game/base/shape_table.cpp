// The shape table: records 0..14 filled from the outline tables generated
// from the pictures, in the RGNDATA word layout.
#include "game/base/shape_table.h"

#include "assets/picture_data.h"

namespace zb {

std::array<RegionRecord, 16> RegionTable{};

namespace {

std::uint32_t Word(std::int32_t v) { return static_cast<std::uint32_t>(v); }

void FillRecord(RegionRecord& record, const assets::Outline& outline) {
  auto& w = record.words;
  const auto count = static_cast<std::uint32_t>(outline.count);
  w[0] = 32;          // dwSize: header bytes
  w[1] = 1;           // iType: RDH_RECTANGLES
  w[2] = count;       // nCount
  w[3] = 16 * count;  // nRgnSize: rectangle bytes
  w[4] = Word(outline.bound.left);
  w[5] = Word(outline.bound.top);
  w[6] = Word(outline.bound.right);
  w[7] = Word(outline.bound.bottom);
  for (int i = 0; i < outline.count; ++i) {
    const assets::OutlineRect& r = outline.rects[i];
    w[8 + 4 * i] = Word(r.left);
    w[9 + 4 * i] = Word(r.top);
    w[10 + 4 * i] = Word(r.right);
    w[11 + 4 * i] = Word(r.bottom);
  }
}

}  // namespace

void BuildShapeTable() {
  for (int shape = 0; shape < assets::kShapeCount; ++shape)
    FillRecord(RegionTable[shape], assets::kShapeOutlines[shape]);
}

}  // namespace zb
