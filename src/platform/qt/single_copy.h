// One copy of the program per display: the claim that makes this copy the
// one playing there, and `zembrant --quit` (platform/app.h).
#pragma once

#include <xcb/xcb.h>

#include <cstdint>

namespace plat::qt {

// Claims the display's selection for a window of ours on `root`. A live
// copy of the program holding it already keeps it (0 is returned); a
// client that is not one loses it to us.
std::uint32_t ClaimSelection(xcb_connection_t* c, std::uint32_t root, int screen);

// What other clients do to the claim once it is held (x_events.cpp): a
// request to end (`zembrant --quit`) ends the program as SIGTERM does;
// losing the selection ends it with status 1 (a made-up notice of the loss
// is checked against the server first); a claim window another client
// destroys is made again, and the selection taken again, unless a live
// copy holds it by then. Requests to convert the selection are refused,
// quietly. True when the event was the claim's.
bool OnQuitRequest(const xcb_client_message_event_t* ev);
bool OnSelectionLost(const xcb_selection_clear_event_t* ev);
bool OnClaimDestroyed(const xcb_destroy_notify_event_t* ev);
bool OnSelectionRequest(const xcb_selection_request_event_t* ev);

}  // namespace plat::qt
