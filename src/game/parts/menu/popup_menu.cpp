// The popup menu of the ship and the lamps: version information and the end
// of the program.
#include "game/parts/menu/popup_menu.h"

#include <array>

#include "game/base/game_windows.h"
#include "game/base/skip_on_error.h"
#include "game/parts/balloon/balloon.h"
#include "game/parts/boss/boss.h"
#include "game/parts/menu/version_dialog.h"
#include "game/parts/ship/ship_window.h"
#include "platform/dialogs.h"
#include "platform/errors.h"

namespace zb {
namespace {

// The items' places in the menu; a separator stands between them.
constexpr int kVersionItem = 0;
constexpr int kEndItem = 2;

}  // namespace

void ShowPopupMenu() {
  const std::array<plat::MenuItem, 3> items{{
      {"バージョン情報", false},
      {"-", true},
      {"終了", false},
  }};
  switch (plat::PopupMenu(items)) {
    case kVersionItem:
      ShowVersionDialog();
      break;
    case kEndItem:
      EndProgram();
      break;
    default:
      break;
  }
}

void ShowVersionDialog() { plat::ShowModalDialog(VersionDialogLayout()); }

// Closes the game's windows, each attempted whatever happened to the one
// before, and ends the program. The pictures are static data with no holder
// window, and the version dialog cannot be open here (it is modal), so
// neither needs closing.
void EndProgram() {
  for (Window* f : {static_cast<Window*>(&balloonLeft), static_cast<Window*>(&balloonCentre),
                  static_cast<Window*>(&balloonRight), static_cast<Window*>(&sceneryWindow),
                  static_cast<Window*>(&bossWindow), static_cast<Window*>(&particlesWindow)}) {
    SkipOnError([f] { f->Unload(); });
  }
  for (auto& f : enemyWindows) SkipOnError([&f] { f.Unload(); });
  SkipOnError([] { enemyShotsWindow.Unload(); });
  SkipOnError([] { shipWindow.Unload(); });
  for (auto& f : beamWindows) SkipOnError([&f] { f.Unload(); });
  throw plat::ProgramExit{0};
}

}  // namespace zb
