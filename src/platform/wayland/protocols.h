// The generated protocol headers, made fit for C++: the layer shell names a
// parameter `namespace`.
#pragma once

#include <wayland-client.h>

#define namespace namespace_
#include "wlr-layer-shell-client.h"
#undef namespace
#include "xdg-shell-client.h"
#include "xdg-decoration-client.h"
