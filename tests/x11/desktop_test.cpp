// The backend as a desktop program: the version dialog in the installed
// fonts, whole scale factors.
#include <QFontInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPushButton>

#include <set>
#include <string>
#include <vector>

#include "game/base/pictures.h"
#include "game/base/version.h"
#include "game/flow/entry.h"
#include "game/parts/menu/version_dialog.h"
#include "platform/dialogs.h"
#include "platform/qt/scale.h"
#include "x11/fixture.h"

namespace x11test {
namespace {

// The theme's icon of the given size, as the build wrote it.
QImage ThemeIcon(int size) {
  const QString path = QStringLiteral(ZB_ICON_DIR "/%1x%1/apps/zembrant.png").arg(size);
  return QImage(path).convertToFormat(QImage::Format_ARGB32);
}

// The program's own copy of the icon, which it paints opaque.
QImage ProgramPicture() {
  const plat::Picture& icon = *zb::ProgramIcon();
  QImage picture(icon.width, icon.height, QImage::Format_RGB32);
  for (int y = 0; y < icon.height; ++y) {
    for (int x = 0; x < icon.width; ++x) picture.setPixel(x, y, 0xff000000u | icon.pixels[y * icon.width + x]);
  }
  return picture;
}

// Whether `big` is `small` with each pixel made a factor x factor square.
bool IsEnlarged(const QImage& small, const QImage& big, int factor) {
  if (small.isNull() || big.size() != small.size() * factor) return false;
  for (int y = 0; y < big.height(); ++y) {
    for (int x = 0; x < big.width(); ++x) {
      if (big.pixel(x, y) != small.pixel(x / factor, y / factor)) return false;
    }
  }
  return true;
}

struct IconPixels {
  int opaque = 0;
  int clear = 0;  // fully transparent
  std::set<QRgb> colours;
};
IconPixels Census(const QImage& icon) {
  IconPixels out;
  for (int y = 0; y < icon.height(); ++y) {
    for (int x = 0; x < icon.width(); ++x) {
      const QRgb p = icon.pixel(x, y);
      if (qAlpha(p) == 255) {
        ++out.opaque;
        out.colours.insert(p);
      } else if (qAlpha(p) == 0) {
        ++out.clear;
      }
    }
  }
  return out;
}

TEST(ThemeIcons, ShowTheShipAloneOnAClearGroundAtEverySize) {
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QImage icon = ThemeIcon(size);
    ASSERT_EQ(icon.size(), QSize(size, size)) << size;
    const IconPixels census = Census(icon);
    EXPECT_EQ(census.opaque + census.clear, size * size) << size << ": half-transparent pixels";
    EXPECT_GT(census.clear, size * size / 2) << size << ": not transparent around the ship";
    EXPECT_GT(census.opaque, size * size / 10) << size;
    for (QPoint corner : {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1)}) {
      EXPECT_EQ(qAlpha(icon.pixel(corner)), 0) << size;
    }
  }
  for (int factor : {2, 4, 8}) {
    EXPECT_TRUE(IsEnlarged(ThemeIcon(32), ThemeIcon(32 * factor), factor)) << 32 * factor;
  }
  // 48 pixels is a picture of its own, with at least the 32-pixel one's detail.
  EXPECT_FALSE(IsEnlarged(ThemeIcon(16), ThemeIcon(48), 3));
  EXPECT_GE(Census(ThemeIcon(48)).colours.size(), Census(ThemeIcon(32)).colours.size());
  EXPECT_GT(2 * Census(ThemeIcon(48)).opaque, 3 * Census(ThemeIcon(32)).opaque) << "the ship is not drawn larger";
}

TEST(ThemeIcons, AreTheProgramsPictureWithItsTileCutAway) {
  const QImage picture = ProgramPicture();
  const QImage icon = ThemeIcon(32);
  ASSERT_EQ(icon.size(), picture.size());
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      if (qAlpha(icon.pixel(x, y)) == 255) EXPECT_EQ(icon.pixel(x, y), picture.pixel(x, y)) << x << "," << y;
    }
  }
}

struct ShownLabel {
  std::string text;
  std::string family;
  bool bold = false;
  int textWidth = 0;
  QRect rect;
};

TEST_F(X11Test, TheVersionDialogSetsEachTextInAnInstalledFontInsideItsLabel) {
  std::vector<ShownLabel> shown;
  QImage windowIcon;
  WhenModalOpens([&](QWidget* dialog) {
    windowIcon = dialog->windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_RGB32);
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
      const QFontInfo info(label->font());
      shown.push_back({label->text().toStdString(), info.family().toStdString(), info.bold(),
                       QFontMetrics(label->font()).horizontalAdvance(label->text()),
                       label->geometry()});
    }
    auto* ok = dialog->findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    ok->click();
  });
  plat::ShowModalDialog(zb::VersionDialogLayout());

  // The dialog's window carries the program's picture of the icon.
  EXPECT_TRUE(IsEnlarged(ProgramPicture(), windowIcon, 1));
  ASSERT_EQ(shown.size(), 3u);
  const std::vector<std::pair<std::string, std::string>> want = {
      {"Zembrant", "IPAPMincho"},
      {std::string("Version ") + zb::kVersion, "Liberation Serif"},
      {"© 2026 Zembrant developers", "IPAPGothic"}};
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(shown[i].text, want[i].first);
    EXPECT_EQ(shown[i].family, want[i].second) << shown[i].text;
    EXPECT_EQ(shown[i].bold, i < 2) << shown[i].text;
    // Nothing is cut off.
    EXPECT_LE(shown[i].textWidth, shown[i].rect.width()) << shown[i].text;
  }
}

TEST(ScaleFactors, AreRoundedToWholeNumbersOfAtLeastOne) {
  using plat::qt::WholeScaleFactor;
  EXPECT_EQ(WholeScaleFactor("2"), 2);
  EXPECT_EQ(WholeScaleFactor("1.5"), 2);
  EXPECT_EQ(WholeScaleFactor("1.49"), 1);
  EXPECT_EQ(WholeScaleFactor("2.5"), 3);
  EXPECT_EQ(WholeScaleFactor("0.4"), 1);
  for (const char* bad : {"", "abc", "2x", "-1", "0", "inf", "nan"}) {
    EXPECT_EQ(WholeScaleFactor(bad), std::nullopt) << bad;
  }
  using plat::qt::WholeScreenScaleFactors;
  EXPECT_EQ(WholeScreenScaleFactors("DP-1=1.5;HDMI-1=1;VGA-1=x"), "DP-1=2;HDMI-1=1");
  EXPECT_EQ(WholeScreenScaleFactors("1.6;2.4"), "2;2");
  EXPECT_EQ(WholeScaleFactor("1e9"), 16);
}

TEST(ScaleFactors, TheDesktopsKeepsTheStageOnTheScreenAndStopsAt16) {
  using plat::qt::DesktopScaleFactor;
  struct Case {
    double dpi;
    int width;
    int factor;
  };
  for (const Case& c : {Case{96, 1920, 1}, Case{144, 1920, 1}, Case{144, 2560, 2}, Case{288, 3840, 3},
                        Case{192, 1366, 1}, Case{96, 800, 1}, Case{9600, 2560, 2},
                        Case{1e9, 1 << 20, 16}, Case{0, 3840, 1}, Case{-96, 3840, 1}}) {
    EXPECT_EQ(DesktopScaleFactor(c.dpi, c.width, zb::kStageWidthPx), c.factor) << c.dpi << " DPI, " << c.width << " px";
  }
  using plat::qt::XftDpi;
  EXPECT_EQ(XftDpi("Xft.antialias:\t1\nXft.dpi:\t144\n"), 144);
  EXPECT_EQ(XftDpi("Xft.dpi: 120.5 \r\n"), 120.5);
  EXPECT_EQ(XftDpi("Xft.dpix:\t144\nXft.dpi:\tlots\n"), std::nullopt);
}

}  // namespace
}  // namespace x11test
