// The version dialog's layout.
#pragma once

#include "platform/dialogs.h"

namespace zb {

// The dialog's title, icon, the program's name and version, a separator, the
// makers' notice and an OK button, positions in twips.
plat::DialogLayout VersionDialogLayout();

}  // namespace zb
