// The version dialog: what it shows and where.
#include "game/parts/menu/version_dialog.h"

#include <string>
#include <vector>

#include "game/base/pictures.h"
#include "game/base/version.h"

namespace zb {
namespace {

constexpr plat::Color kWhite = plat::RGB(255, 255, 255);
constexpr plat::Color kDefaultLineColor = plat::RGB(0, 0, 0);
constexpr double kSeparatorEnd = 10330;  // past the dialog's right edge

std::vector<plat::DialogLabel> Labels() {
  return {
      {"Zembrant", {"ＭＳ Ｐ明朝", 9.75, true}, {735, 210, 2610, 285}},
      {std::string("Version ") + kVersion, {"Times New Roman", 9.75, true}, {1515, 525, 1515, 285}},
      {"© 2026 Zembrant developers", {"ＭＳ Ｐゴシック", 9, false}, {780, 930, 2775, 225}},
  };
}

// An etched separator: two white lines at 870 twips and a dark one at 885.
std::vector<plat::DialogLine> SeparatorLines() {
  return {
      {-135, 870, kSeparatorEnd, 870, kWhite},
      {-45, 885, kSeparatorEnd, 885, kDefaultLineColor},
      {-60, 870, kSeparatorEnd, 870, kWhite},
  };
}

}  // namespace

plat::DialogLayout VersionDialogLayout() {
  plat::DialogLayout layout;
  layout.title = "バージョン情報";
  layout.clientWidth = 3945;
  layout.clientHeight = 1125;
  layout.icon = ProgramIcon();
  layout.iconRect = {180, 210, 480, 480};
  layout.labels = Labels();
  layout.lines = SeparatorLines();
  layout.buttonText = "OK";
  layout.buttonRect = {3105, 135, 795, 345};
  return layout;
}

}  // namespace zb
