// The program's version, as the dialog and --version show it: the project's
// version in CMakeLists.txt, handed to the compiler as ZB_VERSION.
#pragma once

namespace zb {

inline constexpr char kVersion[] = ZB_VERSION;

}  // namespace zb
