// A picture as the generators see it: pixels as 0x00RRGGBB, row-major, or
// kTransparent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zb::tools {

// A pixel of colour "None": no 0x00RRGGBB colour has this value.
inline constexpr std::uint32_t kTransparent = 0xFF000000u;

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  bool HasTransparentPixels() const;
};

// Reads an XPM picture whose colours are all given as "c #RRGGBB" or "c None".
// Throws std::runtime_error with the file name on anything else.
Image ReadXpm(const std::string& path);
// The same, from the text of an XPM file.
Image ParseXpm(const std::string& text, const std::string& name);

}  // namespace zb::tools
