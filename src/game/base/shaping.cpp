// Giving a window a shape's size, picture and outline; fatal when the
// outline cannot be made or applied.
#include "game/base/shaping.h"

#include <algorithm>
#include <array>
#include <vector>

#include "game/base/pictures.h"
#include "platform/errors.h"
#include "platform/window.h"

namespace zb {
namespace {

constexpr char kNoRegionMessage[] = "It failed in reading of region data.";
constexpr char kNoShapeMessage[] = "It failed in plastic surgery of a window.";

struct ShapeSize {
  int height;  // twips
  int width;
};

// Window sizes of shapes 0..14, in twips.
constexpr std::array<ShapeSize, 15> kShapeSizes{{
    {165, 375},    {1425, 2445}, {9195, 2655}, {870, 2655}, {720, 4500},
    {990, 555},    {1485, 15360}, {1485, 15360}, {990, 555}, {675, 915},
    {150, 285},    {150, 285},   {150, 315},   {180, 180}, {180, 180},
}};

constexpr int kHeaderWords = 8;

void CheckShapeNumber(int shape) {
  if (shape < 0 || shape >= static_cast<int>(RegionTable.size())) {
    throw plat::RuntimeError("Subscript out of range");
  }
}

// A record's outline as made, with the words it was made from.
struct MadeOutline {
  std::vector<std::uint32_t> source;  // the record's header and counted rectangles
  plat::Region region;                // empty when the record makes none
  bool made = false;
};

// The words a record's outline depends on: the header and the rectangles it
// counts, as many as it can hold.
std::span<const std::uint32_t> UsedWords(const RegionRecord& record) {
  const auto count = std::min<std::size_t>(record.nCount(), kRegionRecordCapacity);
  return std::span(record.words).first(kHeaderWords + 4 * count);
}

void Make(MadeOutline& outline, const RegionRecord& record) {
  const auto used = UsedWords(record);
  outline.source.assign(used.begin(), used.end());
  auto region = RegionFromRecordWords(record.words);
  outline.made = region.has_value();
  outline.region = region ? std::move(*region) : plat::Region();
}

// Outlines are made from the records once and kept: the frame loop asks for
// the same ones every frame. All are made together, so the number of regions
// alive stays the same from then on; one is made again only when its record
// no longer holds the words it was made from.
const MadeOutline& OutlineOf(int shape) {
  static std::array<MadeOutline, std::tuple_size_v<decltype(RegionTable)>> outlines = [] {
    std::array<MadeOutline, std::tuple_size_v<decltype(RegionTable)>> all;
    for (std::size_t i = 0; i < all.size(); ++i) Make(all[i], RegionTable[i]);
    return all;
  }();
  MadeOutline& outline = outlines[shape];
  if (!std::ranges::equal(UsedWords(RegionTable[shape]), outline.source)) {
    Make(outline, RegionTable[shape]);
  }
  return outline;
}

plat::Region RegionOrFail(int shape) {
  CheckShapeNumber(shape);
  const MadeOutline& outline = OutlineOf(shape);
  if (!outline.made) plat::FailFatally(kNoRegionMessage, DamagedOutline("shape", shape));
  return outline.region;
}

}  // namespace

std::optional<plat::Region> RegionFromRecordWords(std::span<const std::uint32_t> words) {
  if (words.size() < kHeaderWords) return std::nullopt;
  const std::uint32_t count = words[2];
  const std::size_t capacity = (words.size() - kHeaderWords) / 4;
  if (words[0] != 32 || words[1] != 1 || count == 0 || count > capacity ||
      words[3] != 16 * count) {
    return std::nullopt;
  }
  std::vector<plat::Rect> rects(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto* w = &words[kHeaderWords + 4 * i];
    rects[i] = {static_cast<std::int32_t>(w[0]), static_cast<std::int32_t>(w[1]),
                static_cast<std::int32_t>(w[2]), static_cast<std::int32_t>(w[3])};
    if (rects[i].right < rects[i].left || rects[i].bottom < rects[i].top) return std::nullopt;
  }
  return plat::Region::FromRects(rects);
}

std::string DamagedOutline(const std::string& table, int index) {
  return "the program's outline of " + table + " " + std::to_string(index) + " is damaged";
}

std::string CannotCut() {
  return "a window could not be cut to its outline: " + plat::ShapeFailureCause();
}

void SizeWindowToShape(int shape, WindowOps& window) {
  if (shape < 0 || shape >= static_cast<int>(kShapeSizes.size())) return;
  window.SetHeight(kShapeSizes[shape].height);
  window.SetWidth(kShapeSizes[shape].width);
}

void SetShapePicture(int shape, WindowOps& window) {
  if (shape < 0 || shape >= static_cast<int>(kShapeSizes.size())) {
    throw plat::RuntimeError("Subscript out of range");
  }
  window.SetPicture(ShapePicture(shape));
}

plat::Region CutWindowToShape(int shape, WindowOps& window) {
  plat::Region spare = RegionOrFail(shape);
  ApplyWindowRegion(spare, window);
  return spare;
}

plat::Region CreateShapeRegion(int shape) { return RegionOrFail(shape); }

void ApplyWindowRegion(const plat::Region& region, WindowOps& window) {
  if (!window.SetShape(region)) plat::FailFatally(kNoShapeMessage, CannotCut());
}

}  // namespace zb
