// A small XPM reader: the string literals of the file in order are the
// header, the colour lines and the pixel rows.
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "image.h"

namespace zb::tools {
namespace {

// Every "..." literal outside comments, in order.
std::vector<std::string> StringLiterals(const std::string& text) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, 2, "/*") == 0) {
      std::size_t end = text.find("*/", i + 2);
      i = end == std::string::npos ? text.size() : end + 2;
    } else if (text[i] == '"') {
      std::size_t end = text.find('"', i + 1);
      if (end == std::string::npos) throw std::runtime_error("unterminated string");
      out.push_back(text.substr(i + 1, end - i - 1));
      i = end + 1;
    } else {
      ++i;
    }
  }
  return out;
}

// "#RRGGBB" of a colour line "<key> c #RRGGBB", or kTransparent for "c None".
std::uint32_t ColourOf(const std::string& line) {
  std::istringstream in(line);
  std::string word;
  while (in >> word) {
    if (word != "c") continue;
    std::string value;
    in >> value;
    if (value == "None") return kTransparent;
    if (value.size() != 7 || value[0] != '#') break;
    return static_cast<std::uint32_t>(std::stoul(value.substr(1), nullptr, 16));
  }
  throw std::runtime_error("colour line without \"c #RRGGBB\" or \"c None\": " + line);
}

}  // namespace

bool Image::HasTransparentPixels() const {
  for (std::uint32_t p : pixels) {
    if (p == kTransparent) return true;
  }
  return false;
}

Image ParseXpm(const std::string& text, const std::string& name) {
  try {
    std::vector<std::string> lines = StringLiterals(text);
    if (lines.empty()) throw std::runtime_error("no header");
    Image img;
    int colours = 0, cpp = 0;
    std::istringstream header(lines[0]);
    if (!(header >> img.width >> img.height >> colours >> cpp) || img.width <= 0 || img.height <= 0 ||
        colours <= 0 || cpp <= 0)
      throw std::runtime_error("bad header: " + lines[0]);
    if (lines.size() < static_cast<std::size_t>(1 + colours + img.height))
      throw std::runtime_error("file too short");
    std::map<std::string, std::uint32_t> palette;
    for (int c = 0; c < colours; ++c) {
      const std::string& line = lines[1 + c];
      palette[line.substr(0, cpp)] = ColourOf(line.substr(cpp));
    }
    img.pixels.reserve(static_cast<std::size_t>(img.width) * img.height);
    for (int y = 0; y < img.height; ++y) {
      const std::string& row = lines[1 + colours + y];
      if (row.size() != static_cast<std::size_t>(img.width * cpp))
        throw std::runtime_error("row " + std::to_string(y) + " has the wrong length");
      for (int x = 0; x < img.width; ++x) {
        auto it = palette.find(row.substr(static_cast<std::size_t>(x) * cpp, cpp));
        if (it == palette.end()) throw std::runtime_error("unknown colour in row " + std::to_string(y));
        img.pixels.push_back(it->second);
      }
    }
    return img;
  } catch (const std::exception& e) {
    throw std::runtime_error(name + ": " + e.what());
  }
}

Image ReadXpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot open");
  std::ostringstream text;
  text << in.rdbuf();
  return ParseXpm(text.str(), path);
}

}  // namespace zb::tools
