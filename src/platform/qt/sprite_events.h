// What the server tells of sprite windows (x_events.cpp hands it here).
//
// For each configure notification of a top-level window Qt asks the server
// for the window's position and, a little later, for its frame: two round
// trips per moved window, and a game may move ten windows a frame. Sprite
// windows are moved by the backend itself, straight on the server, and
// their positions always reach the server after anything Qt sends (see
// windows.cpp), so Qt needs no news of a plain move: those notifications
// are dropped. The others (a new size) are marked as sent, which makes Qt
// take their position as exact: sprite windows are override-redirect
// children of the root, nothing reparents them.
//
// Sprites stay as the program has them whatever other clients do: a size
// another client gave one is undone, an unmapped one is mapped again, a
// destroyed one is made anew, one a window manager framed is taken back,
// and a request to close one is refused.
#pragma once

#include <xcb/xcb.h>

namespace plat::qt {

// Each returns true when Qt is not to see the event.
bool OnSpriteConfigure(xcb_configure_notify_event_t* ev);
void OnSpriteUnmapped(const xcb_unmap_notify_event_t* ev);
void OnSpriteDestroyed(const xcb_destroy_notify_event_t* ev);
// A sprite a window manager took into a frame (another client cleared its
// override-redirect) is made override-redirect again and put back on the
// root where the program has it.
void OnSpriteReparented(const xcb_reparent_notify_event_t* ev);
// WM_DELETE_WINDOW and the like: sprites are closed by the program alone.
bool IsCloseRequestToSprite(const xcb_client_message_event_t* ev);

}  // namespace plat::qt
