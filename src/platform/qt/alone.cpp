// The platform interface straight onto the X11 backend, for the programs
// that link it alone (its tests and benchmarks).
#include "platform/backend_ops.h"

#define ZB_FORWARD_TABLE plat::qt::Operations()
namespace plat {
ZB_ALL_OPS(ZB_FORWARD_OP)
}  // namespace plat
