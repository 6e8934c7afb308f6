// Text from outside the program (arguments, environment variables, the X
// server's words) made safe for one line of a terminal.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// `text` with every control character written out as an escape: C0 bytes
// and DEL as \xNN, C1 characters and the invisible format characters
// (zero-width, direction marks and overrides, separators) as \uNNNN, and
// bytes that are not part of well-formed UTF-8 as \xNN. Everything else is
// kept.
std::string Printable(std::string_view text);

}  // namespace plat
