// The game's font names on the fonts installed here.
#include "platform/qt/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/qt/backend.h"
#include "platform/window.h"

namespace plat::qt {
namespace {

// Without any font Qt draws boxes for every character: the program says so
// once, when it first needs a font (looking through the fonts costs Qt a
// while, which the start need not wait for: a game may show no text at first).
void NoteMissingFonts() {
  bool& noted = B().fontsLookedAt;
  if (noted) return;
  noted = true;
  if (QFontDatabase::families().isEmpty()) std::fputs("zembrant: no fonts found: texts show as boxes\n", stderr);
}

}  // namespace

// Qt works sizes out of the pixel sizes the program sets, and warns of the
// negative ones it makes for fonts it could not find; it draws boxes then.
bool IsFontNoise(const QString& message) {
  return message.startsWith(QLatin1String("QFont::setPointSizeF: Point size <= 0"));
}

void InstallFontSubstitutes() {
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
  QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
}

QFont FontOf(const TextFont& wanted) {
  NoteMissingFonts();
  QFont font(QString::fromStdString(wanted.family));
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(wanted.pointSize * 96.0 / 72.0))));
  font.setBold(wanted.bold);
  return font;
}

}  // namespace plat::qt

namespace plat::qt {

int TextWidthPx(const TextFont& font, std::string_view utf8) {
  if (!qt::Open()) return 0;
  const QFontMetrics metrics(qt::FontOf(font));
  return metrics.horizontalAdvance(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

}  // namespace plat::qt
