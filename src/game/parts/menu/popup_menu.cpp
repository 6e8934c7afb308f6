// The popup menu of the ship and the lamps: version information and the end
// of the program.
#include <array>

#include "game/base/forms.h"
#include "game/base/skip_on_error.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "game/parts/menu/side_windows.h"
#include "game/parts/menu/version_dialog.h"

namespace zb {
namespace {

enum MenuItemIndex { kMver = 0, kSep001 = 1, kMend = 2 };

}  // namespace

void ShowPopupMenu() {
  const std::array<plat::MenuItem, 3> mpop{{
      {"バージョン情報", false},
      {"-", true},
      {"終了", false},
  }};
  switch (plat::PopupMenu(mpop)) {
    case kMver:
      frmMenu_mver_Click();
      break;
    case kMend:
      frmMenu_mend_Click();
      break;
    default:
      break;
  }
}

void frmMenu_mver_Click() { plat::ShowModalDialog(VersionDialogLayout()); }

// Closes the game's windows, each attempted whatever happened to the one
// before, and ends the program. The pictures are static data with no holder
// window, and the version dialog cannot be open here (it is modal), so
// neither needs closing.
void frmMenu_mend_Click() {
  for (Form* f : {static_cast<Form*>(&frmL), static_cast<Form*>(&frmC),
                  static_cast<Form*>(&frmR), static_cast<Form*>(&frmBG),
                  static_cast<Form*>(&frmBoss), static_cast<Form*>(&frmDot)}) {
    SkipOnError([f] { f->Unload(); });
  }
  for (auto& f : EnemyForms) SkipOnError([&f] { f.Unload(); });
  SkipOnError([] { frmEShot.Unload(); });
  SkipOnError([] { frmPlayer.Unload(); });
  for (auto& f : ShotForms) SkipOnError([&f] { f.Unload(); });
  throw plat::ProgramExit{0};
}

}  // namespace zb
