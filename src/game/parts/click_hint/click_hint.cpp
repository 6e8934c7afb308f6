// The line that asks the player for a click: a pale yellow box with one
// line of text, centred under the title. A click on it, as on any sprite,
// gives the game the keyboard.
#include "game/parts/click_hint/click_hint.h"

#include "game/base/game_windows.h"
#include "game/base/screen_metrics.h"
#include "platform/keys.h"
#include "platform/numeric.h"
#include "platform/window.h"

namespace zb {

SpriteWindow clickHintWindow("frmClick");

namespace {

constexpr char kHintText[] = "Click here to play with the keyboard";
const plat::TextFont kHintFont{"ＭＳ Ｐゴシック", 9, false};
constexpr int kPaddingPx = 4;     // around the text, each side
constexpr int kHeightPx = 18;
constexpr int kAboveBottomPx = 3;  // the box's bottom above the work area's

void ShowHint() {
  const int width = plat::TextWidthPx(kHintFont, kHintText) + 2 * kPaddingPx;
  const float left = static_cast<float>(plat::IntDiv(ScreenWidthTwips() - width * TPPX, 2));
  const float top = static_cast<float>(ScreenHeightTwips()) - (kHeightPx + kAboveBottomPx) * TPPY;
  const plat::WindowId id = clickHintWindow.Id();
  if (!clickHintWindow.Visible()) {
    clickHintWindow.SetBackColor(plat::RGB(255, 255, 225));
    plat::ClearText(id);
    plat::PrintText(id, kPaddingPx, 2, kHintText, kHintFont, plat::RGB(0, 0, 0));
  }
  clickHintWindow.Move(left, top, width * TPPX, kHeightPx * TPPY);
  clickHintWindow.SetVisible(true);
}

void UpdateClickHint() {
  if (!plat::KeyboardHeard()) {
    ShowHint();
  } else if (clickHintWindow.IsLoaded()) {
    clickHintWindow.SetVisible(false);
  }
}

}  // namespace

void WatchKeyboard() {
  plat::SetKeyboardHeardHandler(UpdateClickHint);
  UpdateClickHint();
}

void PlaceClickHint() {
  if (!clickHintWindow.IsLoaded() || !clickHintWindow.Visible()) return;
  clickHintWindow.SetVisible(false);  // shown again, above the windows shown since
  ShowHint();
}

}  // namespace zb
