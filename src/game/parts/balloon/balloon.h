// The speech balloon: three windows (balloonLeft, balloonCentre,
// balloonRight) joined into one outline.
#pragma once

#include <string>

#include "game/base/window_model.h"
#include "game/parts/balloon/balloon_table.h"

namespace zb {

// The balloon's centre, with its close label and border lines.
class BalloonCentreWindow : public Window {
 public:
  using Window::Window;
  Control closeLabel;
  Control topLine;
  Control bottomLine;

 protected:
  void OnLoad() override;
  void OnUnload() override;
};

// The balloon's end caps, each with the picture it starts with.
class BalloonCapWindow : public Window {
 public:
  BalloonCapWindow(std::string name, int capPicture) : Window(std::move(name)), capPicture_(capPicture) {}

 protected:
  void OnLoad() override;

 private:
  int capPicture_;
};

extern BalloonCapWindow balloonLeft;
extern BalloonCentreWindow balloonCentre;
extern BalloonCapWindow balloonRight;

enum BalloonKind : int { TailLeft = 0, TailRight = 1 };

// Cuts a cap window to record `record` of the balloon table; fatal when the
// record makes no outline or the window cannot be cut.
void CutWindowToBalloonShape(int record, WindowOps& window);
// Shows the balloon and returns at once, leaving the windows open. Anchor in
// twips.
void ShowBalloon(const std::string& text, float anchorX, float anchorY, int kind,
                 int closeLabelFlag, const std::string& closeLabelCaption);
// Unloads balloonLeft, balloonCentre and balloonRight, in that order.
void CloseBalloon();
// A line of the ship's, its tail at the ship's nose.
void ShipSays(const char* text);

}  // namespace zb
