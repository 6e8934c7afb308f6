// The connection to the compositor (connection.cpp).
#pragma once

#include <string>

namespace plat::wl {

// Connects and binds the globals the backend needs; "" on success, else one
// line saying why not (no compositor, no layer shell, ...).
std::string Connect();
void Disconnect();

}  // namespace plat::wl
