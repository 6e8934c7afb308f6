// The game's font names on the fonts installed here.
#pragma once

#include <QFont>

#include "platform/types.h"

namespace plat::qt {

// Maps the named fonts the game asks for to installed fonts of similar
// metrics. Called once the application exists.
void InstallFontSubstitutes();

// Qt's warnings about the sizes it works out for fonts it could not find.
bool IsFontNoise(const QString& message);

// The font for `wanted`: sized in pixels as a 96 dpi screen would set it, so
// text widths do not depend on the screen's reported resolution. The first
// call says on stderr when there is no font at all.
QFont FontOf(const TextFont& wanted);

}  // namespace plat::qt
