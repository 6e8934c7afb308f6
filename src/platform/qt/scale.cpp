// Whole scale factors for Qt, settled before the application starts.
#include "platform/qt/scale.h"

#include <QByteArray>
#include <QtGlobal>
#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>


namespace plat::qt {
namespace {

constexpr int kLargest = 16;  // far beyond any screen
constexpr double kStepDpi = 96;
// Point-sized text (the version dialog) is set at the desktop's DPI over
// the factor, within reason.
constexpr double kFontDpiLow = 48, kFontDpiHigh = 192;

std::optional<double> Number(const std::string& value) {
  // Read the way Qt reads it, whatever the locale.
  double v = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, v);
  if (error != std::errc() || stop != end || !std::isfinite(v) || v <= 0) return std::nullopt;
  return v;
}

std::string RootResources(xcb_connection_t* c, std::uint32_t root) {
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      c, xcb_get_property(c, 0, root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0, 1 << 16), nullptr);
  std::string out;
  if (r && r->format == 8) {
    out.assign(static_cast<const char*>(xcb_get_property_value(r)),
               static_cast<std::size_t>(xcb_get_property_value_length(r)));
  }
  std::free(r);
  return out;
}

// The primary monitor's width in device pixels as Qt will see it (RandR's
// monitors, the primary one or else the first), the screen's without them.
int PrimaryWidth(xcb_connection_t* c, std::uint32_t root) {
  int width = 0;
  for (xcb_screen_iterator_t s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s)) {
    if (s.data->root == root) width = s.data->width_in_pixels;
  }
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_randr_id);
  if (!ext || !ext->present) return width;
  xcb_randr_get_monitors_reply_t* r =
      xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, root, 1), nullptr);
  if (!r) return width;
  bool first = true;
  for (auto it = xcb_randr_get_monitors_monitors_iterator(r); it.rem; xcb_randr_monitor_info_next(&it)) {
    if (first || it.data->primary) width = it.data->width;
    first = false;
    if (it.data->primary) break;
  }
  std::free(r);
  return width;
}

double DesktopDpi(xcb_connection_t* c, std::uint32_t root) {
  // Qt takes QT_FONT_DPI as a whole number over Xft.dpi.
  if (const int forced = qEnvironmentVariableIntValue("QT_FONT_DPI"); forced > 0) return forced;
  return XftDpi(RootResources(c, root)).value_or(kStepDpi);
}

}  // namespace

std::optional<int> WholeScaleFactor(const std::string& value) {
  const std::optional<double> v = Number(value);
  if (!v) return std::nullopt;
  return static_cast<int>(std::fmax(1, std::fmin(kLargest, std::floor(*v + 0.5))));
}

std::string WholeScreenScaleFactors(const std::string& value) {
  std::istringstream entries(value);
  std::string entry, out;
  while (std::getline(entries, entry, ';')) {
    const std::size_t eq = entry.rfind('=');
    const std::string name = eq == std::string::npos ? "" : entry.substr(0, eq + 1);
    const std::optional<int> factor = WholeScaleFactor(entry.substr(name.size()));
    if (!factor) continue;
    if (!out.empty()) out += ';';
    out += name + std::to_string(*factor);
  }
  return out;
}

int DesktopScaleFactor(double dpi, int widthPx, int neededWidth) {
  if (!std::isfinite(dpi) || dpi <= 0) return 1;
  const double wanted = std::floor(dpi / kStepDpi + 0.5);
  const double fits = neededWidth > 0 ? std::floor(static_cast<double>(widthPx) / neededWidth) : kLargest;
  return static_cast<int>(std::fmax(1, std::fmin(std::fmin(wanted, fits), kLargest)));
}

std::optional<double> XftDpi(const std::string& resources) {
  std::istringstream lines(resources);
  std::string line;
  std::optional<double> dpi;
  while (std::getline(lines, line)) {
    static const std::string kName = "Xft.dpi:";
    if (line.compare(0, kName.size(), kName) != 0) continue;
    std::string value = line.substr(kName.size());
    value.erase(0, value.find_first_not_of(" \t"));
    value.erase(value.find_last_not_of(" \t\r") + 1);
    if (const std::optional<double> v = Number(value)) dpi = v;
  }
  return dpi;
}

void SettleScaleFactors(xcb_connection_t* c, std::uint32_t root, int neededWidth) {
  const double dpi = DesktopDpi(c, root);
  const int desktop = DesktopScaleFactor(dpi, PrimaryWidth(c, root), neededWidth);
  const bool screenFactors = !qEnvironmentVariableIsEmpty("QT_SCREEN_SCALE_FACTORS");
  // The user's factor when it is one; the user's factors per screen stand
  // alone; else the desktop's.
  std::optional<int> global = WholeScaleFactor(qgetenv("QT_SCALE_FACTOR").toStdString());
  if (!global && !screenFactors) global = desktop;
  if (global) {
    qputenv("QT_SCALE_FACTOR", QByteArray::number(*global));
  } else {
    qunsetenv("QT_SCALE_FACTOR");
  }
  if (screenFactors) {
    const std::string all = WholeScreenScaleFactors(qgetenv("QT_SCREEN_SCALE_FACTORS").toStdString());
    qputenv("QT_SCREEN_SCALE_FACTORS", QByteArray::fromStdString(all));
  }
  // Qt would multiply its own factor from the DPI with the ones above.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  const double fontDpi = std::clamp(std::floor(dpi / desktop + 0.5), kFontDpiLow, kFontDpiHigh);
  qputenv("QT_FONT_DPI", QByteArray::number(static_cast<int>(fontDpi)));
  qputenv("QT_SCALE_FACTOR_ROUNDING_POLICY", "Round");
}

}  // namespace plat::qt
