// The native Wayland backend's table of operations.
#include "platform/backend_ops.h"

namespace plat::wl {

ZB_ALL_OPS(ZB_DECLARE_OP)

const BackendOps& Operations() {
  static const BackendOps ops{"wayland", ZB_ALL_OPS(ZB_OP_ADDRESS)};
  return ops;
}

}  // namespace plat::wl
