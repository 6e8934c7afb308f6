// Escaping control characters for the terminal.
#include "platform/printable.h"

#include <cstdio>

namespace plat {
namespace {

std::string Escape(const char* format, unsigned value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Code points a terminal shows as nothing or lets reorder what follows: C1
// controls, line and paragraph separators, and the invisible format
// characters (soft hyphen, zero-width spaces and joiners, direction marks,
// embeddings, overrides and isolates, the byte order mark).
bool Invisible(unsigned cp) {
  return cp <= 0x9F || cp == 0xAD || cp == 0x61C || cp == 0x180E ||
         (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x2028 && cp <= 0x202E) ||
         (cp >= 0x2060 && cp <= 0x206F) || cp == 0xFEFF || (cp >= 0xFFF9 && cp <= 0xFFFB);
}

// The length of the well-formed UTF-8 sequence at text[i] (2 to 4) and its
// code point; 0 when there is none.
std::size_t Sequence(std::string_view text, std::size_t i, unsigned& cp) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t n = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2, cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3, cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4, cp = lead & 0x07;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if (!Continuation(c)) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  const unsigned least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += c < 0x20 || c == 0x7F ? Escape("\\x%02x", c) : std::string(1, static_cast<char>(c));
      ++i;
      continue;
    }
    unsigned cp = 0;
    const std::size_t n = Sequence(text, i, cp);
    if (n == 0) {
      out += Escape("\\x%02x", c);
      ++i;
    } else {
      out += Invisible(cp) ? Escape("\\u%04x", cp) : std::string(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace plat
