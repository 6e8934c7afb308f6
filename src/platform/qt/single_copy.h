// The display this copy plays on: connecting to it with its screen checked,
// and the claim that makes this copy the one playing there.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string>

namespace plat::qt {

// Connects to the display DISPLAY names and checks that its screen exists.
// Returns "" and the connection and screen number, or one line saying why
// not (`conn` is then null).
std::string ConnectDisplay(xcb_connection_t*& conn, int& screen);

// Claims the display's selection for a window of ours on `root`. A live
// copy of the program holding it already keeps it (0 is returned); a
// client that is not one loses it to us.
std::uint32_t ClaimSelection(xcb_connection_t* c, std::uint32_t root, int screen);

// From now on the claim window hears what other clients do to it: a request
// to end (`zembrant --quit`) ends the program as SIGTERM does; losing the
// selection ends it with status 1.
void StartClaimWatch();
void StopClaimWatch();

}  // namespace plat::qt
