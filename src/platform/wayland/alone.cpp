// The platform interface straight onto the native Wayland backend, for the programs
// that link it alone (its conformance suite).
#include "platform/backend_ops.h"

#define ZB_FORWARD_TABLE plat::wl::Operations()
namespace plat {
ZB_ALL_OPS(ZB_FORWARD_OP)
}  // namespace plat
