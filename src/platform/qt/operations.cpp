// The X11 backend's table of operations.
#include "platform/backend_ops.h"

namespace plat::qt {

ZB_ALL_OPS(ZB_DECLARE_OP)

const BackendOps& Operations() {
  static const BackendOps ops{"x11", ZB_ALL_OPS(ZB_OP_ADDRESS)};
  return ops;
}

}  // namespace plat::qt
