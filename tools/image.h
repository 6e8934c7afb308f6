// A picture as the outline generator sees it: pixels as 0x00RRGGBB, row-major.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zb::tools {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Reads an XPM picture whose colours are all given as "c #RRGGBB".
// Throws std::runtime_error with the file name on anything else.
Image ReadXpm(const std::string& path);
// The same, from the text of an XPM file.
Image ParseXpm(const std::string& text, const std::string& name);

}  // namespace zb::tools
