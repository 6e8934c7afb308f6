// The backend as a desktop program: the version dialog in the installed
// fonts, whole scale factors.
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/qt/scale.h"
#include "game/parts/menu/version_dialog.h"
#include "x11/fixture.h"

namespace x11test {
namespace {

struct ShownLabel {
  std::string text;
  std::string family;
  bool bold = false;
  int textWidth = 0;
  QRect rect;
};

TEST_F(X11Test, TheVersionDialogSetsEachTextInAnInstalledFontInsideItsLabel) {
  std::vector<ShownLabel> shown;
  WhenModalOpens([&](QWidget* dialog) {
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

  ASSERT_EQ(shown.size(), 3u);
  const std::vector<std::pair<std::string, std::string>> want = {
      {"Zembrant", "IPAPMincho"},
      {"Version 1.0.0", "Liberation Serif"},
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
    EXPECT_EQ(DesktopScaleFactor(c.dpi, c.width), c.factor) << c.dpi << " DPI, " << c.width << " px";
  }
  using plat::qt::XftDpi;
  EXPECT_EQ(XftDpi("Xft.antialias:\t1\nXft.dpi:\t144\n"), 144);
  EXPECT_EQ(XftDpi("Xft.dpi: 120.5 \r\n"), 120.5);
  EXPECT_EQ(XftDpi("Xft.dpix:\t144\nXft.dpi:\tlots\n"), std::nullopt);
}

}  // namespace
}  // namespace x11test
