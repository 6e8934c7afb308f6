// Whole scale factors for Qt, settled before the application starts.
#include "platform/qt/scale.h"

#include <QByteArray>
#include <QtGlobal>

#include <charconv>
#include <cmath>
#include <sstream>

namespace plat::qt {

std::optional<int> WholeScaleFactor(const std::string& value) {
  // Read the way Qt reads it, whatever the locale.
  double v = 0;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, v);
  if (error != std::errc() || stop != end || !std::isfinite(v) || v <= 0) return std::nullopt;
  constexpr double kLargest = 16;  // far beyond any screen
  return static_cast<int>(std::fmax(1, std::fmin(kLargest, std::floor(v + 0.5))));
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

void SettleScaleFactors() {
  if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
    const std::optional<int> f = WholeScaleFactor(qgetenv("QT_SCALE_FACTOR").toStdString());
    if (f) {
      qputenv("QT_SCALE_FACTOR", QByteArray::number(*f));
    } else {
      qunsetenv("QT_SCALE_FACTOR");
    }
  }
  if (qEnvironmentVariableIsSet("QT_SCREEN_SCALE_FACTORS")) {
    const std::string all = WholeScreenScaleFactors(qgetenv("QT_SCREEN_SCALE_FACTORS").toStdString());
    qputenv("QT_SCREEN_SCALE_FACTORS", QByteArray::fromStdString(all));
  }
  qputenv("QT_SCALE_FACTOR_ROUNDING_POLICY", "Round");
}

}  // namespace plat::qt
