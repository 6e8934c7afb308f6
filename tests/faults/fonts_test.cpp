// Fonts missing: the named fonts of the game absent, with another Japanese
// font in reach or with no font at all. The balloon still shows its text
// (in the other font, or as the boxes Qt draws for characters no font has)
// and the game plays on.
#include <filesystem>
#include <optional>
#include <thread>

#include "e2e/game.h"
#include "faults/fault_env.h"

namespace e2e {
namespace {

struct FontsCase {
  const char* label;
  std::vector<std::string> fontDirs;
};

void PrintTo(const FontsCase& c, std::ostream* os) { *os << c.label; }

class FontsMissing : public GameTest, public ::testing::WithParamInterface<FontsCase> {};

// Dark text on the balloon's white centre.
void ExpectInkOnWhite(const std::vector<Pixel>& pixels) {
  int dark = 0;
  int white = 0;
  for (const Pixel& p : pixels) {
    const std::uint32_t r = p.rgb >> 16, g = (p.rgb >> 8) & 0xff, b = p.rgb & 0xff;
    if (r < 110 && g < 110 && b < 110) ++dark;
    if (r > 240 && g > 240 && b > 240) ++white;
  }
  EXPECT_GE(dark, 12) << "no text on the balloon";
  EXPECT_GE(white, static_cast<int>(pixels.size()) / 3) << "the balloon's centre is not white";
}

TEST_P(FontsMissing, BalloonTextStillShowsAndTheGamePlaysOn) {
  for (const std::string& d : GetParam().fontDirs) {
    ASSERT_TRUE(std::filesystem::is_directory(d)) << d << " is missing: run scripts/setup.sh";
  }
  TempDir fonts;
  GameOptions options;
  options.env = {"FONTCONFIG_FILE=" + faults::WriteFontsConf(fonts.path(), GetParam().fontDirs),
                 "FONTCONFIG_PATH=" + fonts.path()};
  ASSERT_NO_FATAL_FAILURE(StartGame(options));
  ASSERT_TRUE(WaitForTitle(Ms(60000))) << "no title; " << Game().Stderr();

  ASSERT_NO_FATAL_FAILURE(PressSpaceAtTitle());
  const std::optional<Balloon> balloon = WaitForBalloon(Ms(10000));
  ASSERT_TRUE(balloon) << "no launch balloon";
  const plat::Rect& c = balloon->centre.rect;
  EXPECT_EQ(c.Height(), 15);
  EXPECT_GT(c.Width(), 10) << "the text takes no room";
  std::this_thread::sleep_for(Ms(150));
  ExpectInkOnWhite(VisiblePixels(balloon->centre, plat::Region(plat::Rect{0, 1, c.Width(), 14})));

  ASSERT_TRUE(WaitUntil([&] { return BalloonGone(); }, Ms(10000))) << "the balloon stays";
  ASSERT_TRUE(ShipMoves(X(), Ms(5000))) << "the ship does not fly";
  X().Tap(key::kHome);
  const Window ship = Get("frmPlayer");
  const GameTest::Motion flying = FollowMoves(ship, Ms(1000), Ms(5000));
  EXPECT_GT(flying.dx, 0) << "the ship does not fly";
  ExpectRunning();
  EndThroughMenu();
  // Qt's complaints about fonts it could not find stay out of stderr.
  EXPECT_EQ(Game().Stderr().find("QFont"), std::string::npos) << Game().Stderr();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FontsMissing,
    ::testing::Values(FontsCase{"OtherJapaneseFontOnly", {"/usr/share/fonts/opentype/ipafont-mincho"}},
                      FontsCase{"NoFontAtAll", {}}),
    [](const ::testing::TestParamInfo<FontsCase>& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace e2e
