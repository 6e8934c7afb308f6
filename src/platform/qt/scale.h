// Whole device pixels per logical pixel, so that pictures scale
// nearest-neighbour and outlines stay exact.
//
// Qt applies QT_SCALE_FACTOR and QT_SCREEN_SCALE_FACTORS as they stand,
// fractions included, and a fractional factor makes outlines drift by a
// pixel against their pictures. Before the application starts the program
// rounds each factor the user gave to the nearest whole number (halves up,
// at least 1, at most 16) and drops one that is not a number. Without them
// the program derives the factor from the desktop's DPI setting itself
// (QT_FONT_DPI, else Xft.dpi; 96 per step, rounded the same way), never so
// large that the primary monitor is narrower than the width the game needs
// (OpenPlatform), and hands it to Qt as a global factor with Qt's own DPI
// scaling off.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace plat::qt {

// A factor rounded as above; nullopt when `value` is not a positive number.
std::optional<int> WholeScaleFactor(const std::string& value);

// QT_SCREEN_SCALE_FACTORS ("2;1.5" or "DP-1=1.5;HDMI-1=1") with every factor
// rounded; entries that are not numbers are dropped.
std::string WholeScreenScaleFactors(const std::string& value);

// The factor for a desktop of `dpi` whose primary monitor is `widthPx`
// device pixels wide: dpi / 96 rounded, at least 1, at most 16, and at most
// what keeps `neededWidth` logical pixels on the monitor (0: no such need).
int DesktopScaleFactor(double dpi, int widthPx, int neededWidth);

// The DPI the desktop asks for in a RESOURCE_MANAGER string ("Xft.dpi:
// 144"), nullopt when it names none.
std::optional<double> XftDpi(const std::string& resources);

// Rewrites the environment variables above for the display `c` is
// connected to (its screen's root `root`); call before QApplication.
void SettleScaleFactors(xcb_connection_t* c, std::uint32_t root, int neededWidth);

}  // namespace plat::qt
