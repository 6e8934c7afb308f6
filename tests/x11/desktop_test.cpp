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
}

}  // namespace
}  // namespace x11test
