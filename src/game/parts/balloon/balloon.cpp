// The speech balloon: a centre with the text between two shaped end caps,
// one of which carries the tail.
#include "game/parts/balloon/balloon.h"

#include <cmath>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/parts/ship/ship_window.h"
#include "platform/errors.h"
#include "platform/numeric.h"
#include "platform/window.h"

namespace zb {

BalloonCapWindow balloonLeft("frmL", 0);
BalloonCentreWindow balloonCentre("frmC");
BalloonCapWindow balloonRight("frmR", 1);

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
  int picture;  // the cap picture (BalloonCapPicture)
  int width;    // twips
  int record;   // of the BalloonTable
};

void ShapeCap(BalloonCapWindow& cap, const CapLook& look) {
  cap.SetPicture(BalloonCapPicture(look.picture));
  cap.SetHeight(kCapHeight);
  cap.SetWidth(look.width);
  CutWindowToBalloonShape(look.record, cap);
}

// Kind 0 has its tail on the left cap, kind 1 on the right one; other kinds
// leave the caps as they are.
void ShapeCaps(int kind) {
  if (kind == TailLeft) {
    ShapeCap(balloonLeft, {0, kTailCapWidth, 0});
    ShapeCap(balloonRight, {1, kPlainCapWidth, 1});
  } else if (kind == TailRight) {
    ShapeCap(balloonLeft, {2, kPlainCapWidth, 2});
    ShapeCap(balloonRight, {3, kTailCapWidth, 3});
  }
}

// The centre as wide as the text (plus the close label when it has a
// caption), the text printed 40 twips down.
void LayOutCentre(const std::string& text, int closeLabelFlag, const std::string& caption) {
  const double textWidth = plat::TextWidthPx(kBalloonFont, text) * plat::kTwipsPerPixel;
  if (closeLabelFlag != 0 && !caption.empty()) {
    balloonCentre.SetWidth(balloonCentre.closeLabel.Width() + textWidth);
    balloonCentre.closeLabel.SetLeft(balloonCentre.Width() - balloonCentre.closeLabel.Width());
  } else {
    balloonCentre.SetWidth(textWidth);
  }
  balloonCentre.SetHeight(kCentreHeight);
  plat::PrintText(balloonCentre.Id(), 0, TwipsToPixels(kTextTop), text, kBalloonFont, kBlack);
}

void PlaceCloseLabelAndLines(const std::string& caption) {
  plat::SetCaption(balloonCentre.closeLabel.Id(), caption, kCloseLabelFont, kBlack);
  balloonCentre.closeLabel.SetTop(plat::IntDiv(balloonCentre.Height() - balloonCentre.closeLabel.Height(), 2));
  const double w = balloonCentre.Width();
  const double bottom = balloonCentre.Height() - 8;
  plat::SetLine(balloonCentre.topLine.Id(), 0, 0, w, 0, kDefaultLineColor);
  plat::SetLine(balloonCentre.bottomLine.Id(), 0, bottom, w, bottom, kDefaultLineColor);
}

void OnCloseLabelClick() {
  balloonLeft.Unload();
  balloonRight.Unload();
  balloonCentre.Unload();
}

}  // namespace

void BalloonCapWindow::OnLoad() {
  // balloonLeft starts 5055 x 150 twips; the balloon sizes both caps before showing.
  if (capPicture_ == 0) plat::SetWindowRect(id_, 0, 0, 5055, 150);
  plat::SetPicture(id_, BalloonCapPicture(capPicture_));
}

void BalloonCentreWindow::OnLoad() {
  plat::SetBackColor(id_, plat::RGB(255, 255, 255));
  closeLabel.id = plat::CreateLabel(id_, "cmdClose");
  plat::SetWindowRect(closeLabel.id, 2640, 135, 750, 165);
  plat::SetCaption(closeLabel.id, "  [閉じる]", {"ＭＳ Ｐゴシック", 8.25, true}, plat::RGB(0, 0, 0));
  plat::SetVisible(closeLabel.id, true);
  plat::SetMouseDownHandler(closeLabel.id, [](int button, int, int) {
    if (button == plat::kLeftButton) OnCloseLabelClick();
  });
  topLine.id = plat::CreateLine(id_, "Line1");
  plat::SetVisible(topLine.id, true);
  bottomLine.id = plat::CreateLine(id_, "Line2");
  plat::SetVisible(bottomLine.id, true);
}

void BalloonCentreWindow::OnUnload() {
  closeLabel.id = topLine.id = bottomLine.id = plat::kNoWindow;
}

void CutWindowToBalloonShape(int record, WindowOps& window) {
  if (record < 0 || record >= static_cast<int>(BalloonTable.size())) {
    throw plat::RuntimeError("Subscript out of range");
  }
  const auto region = RegionFromRecordWords(BalloonTable[record].words);
  if (!region) {
    plat::FailFatally("リージョンデータの読み込みに失敗しました。", DamagedOutline("balloon cap record", record));
  }
  if (!window.SetShape(*region)) plat::FailFatally("ウィンドウの整形に失敗しました。", CannotCut());
}

void ShowBalloon(const std::string& text, float anchorX, float anchorY, int kind,
                 int closeLabelFlag, const std::string& closeLabelCaption) {
  balloonCentre.Load();  // the centre's controls exist once it is loaded
  balloonCentre.closeLabel.SetVisible(closeLabelFlag != 0);
  plat::ClearText(balloonCentre.Id());
  if (!BalloonShapesBuilt) {
    BuildBalloonShapes();
    BalloonShapesBuilt = true;
  }
  const float top = anchorY - balloonLeft.Height();
  LayOutCentre(text, closeLabelFlag, closeLabelCaption);
  ShapeCaps(kind);
  float left = anchorX;
  if (kind == TailRight) left = anchorX - (balloonCentre.Width() + balloonLeft.Width());
  PlaceCloseLabelAndLines(closeLabelCaption);
  balloonLeft.Move(left, top);
  balloonCentre.Move(left + balloonLeft.Width(), top + 10);
  balloonRight.Move(left + balloonLeft.Width() + balloonCentre.Width(), top);
  balloonLeft.SetVisible(true);
  balloonCentre.SetVisible(true);
  balloonRight.SetVisible(true);
}

void ShipSays(const char* text) {
  ShowBalloon(text, shipWindow.Left() + 15 * TPPX, shipWindow.Top(), TailLeft, 1, "");
}

void CloseBalloon() {
  balloonLeft.Unload();
  balloonCentre.Unload();
  balloonRight.Unload();
}

}  // namespace zb
