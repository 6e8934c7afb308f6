// Requests made straight on Qt's X connection, for what Qt does not offer or
// does with more traffic than a frame can afford (one flush per move).
#pragma once

#include <cstdint>

#include "platform/region.h"
#include "platform/types.h"

struct xcb_connection_t;

namespace plat::qt::x11 {

// The properties every sprite window carries: the window type compositors
// leave without shadows and the program's WM_CLASS.
void LabelSpriteWindow(xcb_connection_t* c, std::uint32_t window);
void SetWmClass(xcb_connection_t* c, std::uint32_t window);

bool HasShape(xcb_connection_t* c);
// Cuts the window to `outline` (device pixels, window-relative).
void SetShape(xcb_connection_t* c, std::uint32_t window, const Region& outline);

void Move(xcb_connection_t* c, std::uint32_t window, int x, int y);
void Raise(xcb_connection_t* c, std::uint32_t window);
void Focus(xcb_connection_t* c, std::uint32_t window);

// Sends what is buffered; Sync also waits until the server has done it.
void Flush(xcb_connection_t* c);
void Sync(xcb_connection_t* c);

}  // namespace plat::qt::x11
