// The data generated at build time from the pictures in assets/: the outline
// of every shape picture and the pixels of every picture, palette-coded.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zb::assets {

inline constexpr int kShapeCount = 15;
inline constexpr int kBalloonCapCount = 4;

struct OutlineRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

// A shape's rectangles in y-x band order and the bound stored with them.
struct Outline {
  const OutlineRect* rects;
  int count;
  OutlineRect bound;
};

// A picture as one or two characters per pixel, row by row, each pixel's
// characters coding an index of `palette` (colours as 0x00RRGGBB) in base
// kPaletteDigits, most significant first.
struct PictureSource {
  const char* name;
  int width;
  int height;
  const std::uint32_t* palette;
  int paletteSize;
  int charsPerPixel;
  const char* pixels;
};

// The digits: '#' .. '~' without the backslash.
inline constexpr int kPaletteDigits = 91;
constexpr char PaletteChar(int digit) {
  return static_cast<char>(digit < 57 ? '#' + digit : '#' + digit + 1);
}
constexpr int PaletteDigit(char c) { return c < '\\' ? c - '#' : c - '#' - 1; }
// The palette index of pixel i.
constexpr int PaletteIndex(const PictureSource& p, std::size_t i) {
  const char* c = p.pixels + i * static_cast<std::size_t>(p.charsPerPixel);
  return p.charsPerPixel == 1 ? PaletteDigit(c[0]) : PaletteDigit(c[0]) * kPaletteDigits + PaletteDigit(c[1]);
}

extern const Outline kShapeOutlines[kShapeCount];
extern const PictureSource kShapePictures[kShapeCount];
extern const PictureSource kBalloonCapPictures[kBalloonCapCount];
extern const PictureSource kProgramIconPicture;

}  // namespace zb::assets
