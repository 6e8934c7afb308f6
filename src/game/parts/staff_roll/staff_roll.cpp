// The staff roll: the credits outline scrolled up through a fixed frame,
// the closing line stopping in its lower half, then a fade to dark grey.
#include <optional>

#include "game/base/forms.h"
#include "game/flow/frame_loop.h"
#include "game/base/skip_on_error.h"
#include "platform/events.h"
#include "platform/numeric.h"
#include "game/base/shaping.h"
#include "game/parts/menu/side_windows.h"

namespace zb {
namespace {

constexpr int kRollSteps = 611;
constexpr int kClosingLineStopStep = 555;
constexpr int kClosingLineBelow = 600;  // pixels the closing line starts below its outline
constexpr int kClosingLineRest = 45;    // pixels below its outline where it stops

// The frame: shape 1's size, centred on the bottom of the work area.
void PlaceFrame() {
  SkipOnError([] { frmSTAFF.Unload(); });
  SkipOnError([] { SizeWindowToShape(1, frmSTAFF); });
  SkipOnError([] {
    frmSTAFF.Move(plat::IntDiv(ScreenWidthTwips() - frmSTAFF.Width(), 2),
                  ScreenHeightTwips() - frmSTAFF.Height());
  });
}

// Step i: the credits i pixels above their outline, the closing line riding
// 600 below it until it stops at 45.
void RollStep(int i, std::int32_t& rollOffset) {
  plat::Region credits = CreateShapeRegion(2);
  credits.Offset(0, rollOffset);
  plat::Region closingLine = CreateShapeRegion(3);
  const int dy = i < kClosingLineStopStep ? rollOffset + kClosingLineBelow : kClosingLineRest;
  closingLine.Offset(0, dy);
  credits.Unite(closingLine);
  rollOffset = rollOffset - 1;
  ApplyWindowRegion(credits, frmSTAFF);
  if (!frmSTAFF.Visible()) {
    frmSTAFF.SetBackColor(plat::RGB(255, 255, 255));
    frmSTAFF.SetVisible(true);
  }
}

void YieldAndWait() {
  plat::DoEvents();
  WaitMs(50);
}

}  // namespace

void RunStaffRoll() {
  PlaceFrame();
  std::int32_t rollOffset = 0;
  for (int i = 0; i < kRollSteps; ++i) {
    SkipOnError([&] { RollStep(i, rollOffset); });
    YieldAndWait();
  }
  for (int c = 255; c >= 64; c -= 2) {  // the last colour is RGB(65, 65, 65)
    SkipOnError([c] { frmSTAFF.SetBackColor(plat::RGB(c, c, c)); });
    YieldAndWait();
  }
  SkipOnError([] { frmSTAFF.SetVisible(false); });
  WaitMs(1000);
  SkipOnError([] { frmSTAFF.Unload(); });
}

}  // namespace zb
