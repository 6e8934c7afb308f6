// Whole device pixels per logical pixel, so that pictures scale
// nearest-neighbour and outlines stay exact.
//
// Qt applies QT_SCALE_FACTOR and QT_SCREEN_SCALE_FACTORS as they stand,
// fractions included, and a fractional factor makes outlines drift by a
// pixel against their pictures. Before the application starts the program
// rounds each factor the user gave to the nearest whole number (halves up,
// at least 1) and drops one that is not a number. Without them Qt derives
// the factor from the desktop's DPI setting (Xft.dpi, 96 per step), rounded
// the same way (rounding policy Round, also over the user's
// QT_SCALE_FACTOR_ROUNDING_POLICY).
#pragma once

#include <optional>
#include <string>

namespace plat::qt {

// A factor rounded as above; nullopt when `value` is not a positive number.
std::optional<int> WholeScaleFactor(const std::string& value);

// QT_SCREEN_SCALE_FACTORS ("2;1.5" or "DP-1=1.5;HDMI-1=1") with every factor
// rounded; entries that are not numbers are dropped.
std::string WholeScreenScaleFactors(const std::string& value);

// Rewrites the environment variables above; call before QApplication.
void SettleScaleFactors();

}  // namespace plat::qt
