// Plain value types shared by the game and every platform backend.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

// Window positions and sizes are given in twips: 15 twips per logical pixel.
inline constexpr int kTwipsPerPixel = 15;

// A colour as 0x00BBGGRR, the layout of the RGB() function the game uses.
using Color = std::uint32_t;

constexpr Color RGB(int r, int g, int b) {
  return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

// A rectangle in pixels; right and bottom are exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A window's outer rectangle in twips, as the game reads it back:
// always whole pixels times 15.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// A picture compiled into the program: row-major pixels as 0x00RRGGBB.
// Drawn unscaled at the top-left of the window that shows it.
struct Picture {
  int width = 0;
  int height = 0;
  const std::uint32_t* pixels = nullptr;
  const char* name = "";
};

// A font named the way the game names it ("ＭＳ Ｐゴシック", 8.25 pt). Backends
// map the name to an installed font of similar metrics.
struct TextFont {
  std::string family;
  double pointSize = 9.0;
  bool bold = false;
  friend bool operator==(const TextFont&, const TextFont&) = default;
};

// Mouse button codes, as passed to mouse-down handlers.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

}  // namespace plat
