// The program's version, as the dialog and --version show it.
#pragma once

namespace zb {

inline constexpr char kVersion[] = "1.0.0";

}  // namespace zb
