// What a sprite window shows, painted with Qt into its buffer (paint.cpp).
#pragma once

#include <QFont>
#include <QImage>

#include "platform/types.h"
#include "platform/wayland/state.h"

namespace plat::wl {

// Paints `sprite` with its shown controls into `into`, whose top-left is at
// `origin` in the sprite's own pixels; everything outside the outline is
// transparent.
void PaintSprite(const WindowRec& sprite, const Rect& origin, QImage& into);

// The font for `wanted`, sized in pixels as a 96 dpi screen would set it.
QFont FontOf(const TextFont& wanted);
// Maps the game's font names to installed fonts of similar metrics.
void InstallFontSubstitutes();

QColor ColorOf(Color c);
// A picture as an opaque image, made once.
const QImage& ImageOf(const Picture& picture);

}  // namespace plat::wl
