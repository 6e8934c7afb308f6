// The staff roll: the credits outline scrolled up through a fixed frame,
// the closing line stopping in its lower half, then a fade to dark grey.
#include "game/parts/staff_roll/staff_roll.h"

#include <optional>

#include "game/base/game_windows.h"
#include "game/base/screen_metrics.h"
#include "game/base/shaping.h"
#include "game/base/skip_on_error.h"
#include "game/base/waits.h"
#include "game/base/window_model.h"
#include "platform/events.h"
#include "platform/numeric.h"

namespace zb {
namespace {

constexpr int kRollSteps = 611;
constexpr int kClosingLineStopStep = 555;
constexpr int kClosingLineBelow = 600;  // pixels the closing line starts below its outline
constexpr int kClosingLineRest = 45;    // pixels below its outline where it stops

// The lettering's pictures ride with the outline inside the frame: each in
// a picture box of its own, cut to its own outline, so that its colours
// (light faces with a dark shade) show on a light desktop as on a dark one.
Control creditsBox;
Control closingLineBox;

void LoadLettering(Control& box, Shape shape, const char* name) {
  box.id = plat::CreatePictureBox(bannerWindow.Id(), name);
  SizeWindowToShape(shape, box);
  SetShapePicture(shape, box);
  CutWindowToShape(shape, box);
  box.SetVisible(true);
}

// The frame: shape 1's size, centred on the bottom of the work area, with
// the lettering's boxes below it until the roll moves them in.
void PlaceFrame() {
  SkipOnError([] { bannerWindow.Unload(); });
  SkipOnError([] { SizeWindowToShape(Shape::kStaffFrame, bannerWindow); });
  SkipOnError([] {
    bannerWindow.Move(plat::IntDiv(ScreenWidthTwips() - bannerWindow.Width(), 2),
                  ScreenHeightTwips() - bannerWindow.Height());
  });
  SkipOnError([] { LoadLettering(creditsBox, Shape::kCredits, "Credits"); });
  SkipOnError([] { LoadLettering(closingLineBox, Shape::kClosingLine, "ClosingLine"); });
}

// Step i: the credits i pixels above their outline, the closing line riding
// 600 below it until it stops at 45.
void RollStep(int i, std::int32_t& rollOffset) {
  plat::Region credits = CreateShapeRegion(Shape::kCredits);
  credits.Offset(0, rollOffset);
  plat::Region closingLine = CreateShapeRegion(Shape::kClosingLine);
  const int dy = i < kClosingLineStopStep ? rollOffset + kClosingLineBelow : kClosingLineRest;
  closingLine.Offset(0, dy);
  credits.Unite(closingLine);
  SkipOnError([&] { creditsBox.Move(0, rollOffset * TPPY); });
  SkipOnError([&] { closingLineBox.Move(0, dy * TPPY); });
  rollOffset = rollOffset - 1;
  ApplyWindowRegion(credits, bannerWindow);
  if (!bannerWindow.Visible()) {
    bannerWindow.SetBackColor(plat::RGB(255, 255, 255));
    bannerWindow.SetVisible(true);
  }
}

}  // namespace

void RunStaffRoll() {
  PlaceFrame();
  std::int32_t rollOffset = 0;
  for (int i = 0; i < kRollSteps; ++i) {
    SkipOnError([&] { RollStep(i, rollOffset); });
    YieldAndWait(50);
  }
  // The fade is the frame's own colour: the closing line's picture gives way
  // to it.
  SkipOnError([] { closingLineBox.SetVisible(false); });
  SkipOnError([] { creditsBox.SetVisible(false); });
  for (int c = 255; c >= 64; c -= 2) {  // the last colour is RGB(65, 65, 65)
    SkipOnError([c] { bannerWindow.SetBackColor(plat::RGB(c, c, c)); });
    YieldAndWait(50);
  }
  SkipOnError([] { bannerWindow.SetVisible(false); });
  WaitMs(1000);
  SkipOnError([] { bannerWindow.Unload(); });
  creditsBox.id = closingLineBox.id = plat::kNoWindow;
}

}  // namespace zb
