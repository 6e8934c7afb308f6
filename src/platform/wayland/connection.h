// The connection to the compositor (connection.cpp).
#pragma once

#include <string>

namespace plat::wl {

// Connects and binds the globals the backend needs; "" on success, else one
// line saying why not (no compositor, no layer shell, ...).
std::string Connect();
void Disconnect();
// The compositor's socket: WAYLAND_DISPLAY, or wayland-0 where it is unset.
std::string CompositorName();
// Why the compositor's socket cannot be looked for (no runtime directory),
// or "" when it can.
std::string SocketUnknown();

}  // namespace plat::wl
