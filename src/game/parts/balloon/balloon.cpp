// The speech balloon: a centre with the text between two shaped end caps,
// one of which carries the tail.
#include "game/parts/balloon/balloon.h"

#include <cmath>

#include "game/base/forms.h"
#include "platform/errors.h"
#include "platform/numeric.h"
#include "platform/window.h"
#include "game/base/pictures.h"
#include "game/base/shaping.h"

namespace zb {

namespace {

const plat::TextFont kBalloonFont{"ＭＳ Ｐゴシック", 8.25, false};
const plat::TextFont kCloseLabelFont{"ＭＳ Ｐゴシック", 8.25, true};
constexpr plat::Color kBlack = plat::RGB(0, 0, 0);
constexpr plat::Color kDefaultLineColor = kBlack;

constexpr int kCapHeight = 270;     // twips: 18 pixels
constexpr int kTailCapWidth = 120;  // 8 pixels
constexpr int kPlainCapWidth = 105; // 7 pixels
constexpr int kCentreHeight = 220;  // 15 pixels
constexpr int kTextTop = 40;        // twips below the centre's top

int TwipsToPixels(double twips) {
  return static_cast<int>(std::floor(twips / plat::kTwipsPerPixel + 0.5));
}

struct CapLook {
  int picture;  // element of Picture1
  int width;    // twips
  int record;   // of the BalloonTable
};

void ShapeCap(BalloonCapForm& cap, const CapLook& look) {
  cap.SetPicture(BalloonCapPicture(look.picture));
  cap.SetHeight(kCapHeight);
  cap.SetWidth(look.width);
  CutWindowToBalloonShape(look.record, cap);
}

// Kind 0 has its tail on the left cap, kind 1 on the right one; other kinds
// leave the caps as they are.
void ShapeCaps(int kind) {
  if (kind == TailLeft) {
    ShapeCap(frmL, {0, kTailCapWidth, 0});
    ShapeCap(frmR, {1, kPlainCapWidth, 1});
  } else if (kind == TailRight) {
    ShapeCap(frmL, {2, kPlainCapWidth, 2});
    ShapeCap(frmR, {3, kTailCapWidth, 3});
  }
}

// The centre as wide as the text (plus the close label when it has a
// caption), the text printed 40 twips down.
void LayOutCentre(const std::string& text, int closeLabelFlag, const std::string& caption) {
  const double textWidth = plat::TextWidthPx(kBalloonFont, text) * plat::kTwipsPerPixel;
  if (closeLabelFlag != 0 && !caption.empty()) {
    frmC.SetWidth(frmC.cmdClose.Width() + textWidth);
    frmC.cmdClose.SetLeft(frmC.Width() - frmC.cmdClose.Width());
  } else {
    frmC.SetWidth(textWidth);
  }
  frmC.SetHeight(kCentreHeight);
  plat::PrintText(frmC.hWnd(), 0, TwipsToPixels(kTextTop), text, kBalloonFont, kBlack);
}

void PlaceCloseLabelAndLines(const std::string& caption) {
  plat::SetCaption(frmC.cmdClose.hWnd(), caption, kCloseLabelFont, kBlack);
  frmC.cmdClose.SetTop(plat::IntDiv(frmC.Height() - frmC.cmdClose.Height(), 2));
  const double w = frmC.Width();
  const double bottom = frmC.Height() - 8;
  plat::SetLine(frmC.Line1.hWnd(), 0, 0, w, 0, kDefaultLineColor);
  plat::SetLine(frmC.Line2.hWnd(), 0, bottom, w, bottom, kDefaultLineColor);
}

}  // namespace

void CutWindowToBalloonShape(int record, WindowOps& window) {
  if (record < 0 || record >= static_cast<int>(BalloonTable.size())) {
    throw plat::RuntimeError("Subscript out of range");
  }
  const auto region = RegionFromRecordWords(BalloonTable[record].words);
  if (!region) plat::FailFatally("リージョンデータの読み込みに失敗しました。");
  if (!window.SetShape(*region)) plat::FailFatally("ウィンドウの整形に失敗しました。");
}

void ShowBalloon(const std::string& text, float anchorX, float anchorY, int kind,
                 int closeLabelFlag, const std::string& closeLabelCaption) {
  frmC.hWnd();  // the centre's controls exist once it is loaded
  frmC.cmdClose.SetVisible(closeLabelFlag != 0);
  plat::ClearText(frmC.hWnd());
  if (BalloonShapesBuilt == kFalse) {
    BuildBalloonShapes();
    BalloonShapesBuilt = kTrue;
  }
  const float top = anchorY - frmL.Height();
  LayOutCentre(text, closeLabelFlag, closeLabelCaption);
  ShapeCaps(kind);
  float left = anchorX;
  if (kind == TailRight) left = anchorX - (frmC.Width() + frmL.Width());
  PlaceCloseLabelAndLines(closeLabelCaption);
  frmL.Move(left, top);
  frmC.Move(left + frmL.Width(), top + 10);
  frmR.Move(left + frmL.Width() + frmC.Width(), top);
  frmL.SetVisible(true);
  frmC.SetVisible(true);
  frmR.SetVisible(true);
}

void CloseBalloon() {
  frmL.Unload();
  frmC.Unload();
  frmR.Unload();
}

void frmC_cmdClose_Click() {
  frmL.Unload();
  frmR.Unload();
  frmC.Unload();
}

}  // namespace zb
