// zb_outline_gen: reads the picture list of assets/ and writes the C++ source
// with every shape's outline rectangles and every picture's pixels.
//
//   zb_outline_gen <picture list> <output .cpp>
//
// Each line of the list: kind index file key [bound]
//   kind   shape (0..14), cap (balloon cap 0..3) or icon (0)
//   key    the key colour as RRGGBB (pixels of that colour lie outside the
//          outline), "-" for pictures without an outline
//   bound  l,t,r,b to store instead of the true extent of the rectangles
// Files are relative to the list's folder; '#' starts a comment.
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "assets/picture_data.h"
#include "image.h"
#include "outline.h"

namespace zb::tools {
namespace {

struct Entry {
  std::string kind;
  int index = 0;
  std::filesystem::path file;
  std::optional<std::uint32_t> key;
  std::optional<OutlineRect> bound;
};

OutlineRect ParseBound(const std::string& text) {
  OutlineRect b;
  char c1 = 0, c2 = 0, c3 = 0;
  std::istringstream in(text);
  if (!(in >> b.left >> c1 >> b.top >> c2 >> b.right >> c3 >> b.bottom) || c1 != ',' || c2 != ',' ||
      c3 != ',')
    throw std::runtime_error("bad bound: " + text);
  return b;
}

std::vector<Entry> ReadList(const std::filesystem::path& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error(path.string() + ": cannot open");
  std::vector<Entry> entries;
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    Entry e;
    std::string file, key, bound;
    if (!(words >> e.kind)) continue;
    if (!(words >> e.index >> file >> key)) throw std::runtime_error("bad line: " + line);
    e.file = path.parent_path() / file;
    if (key != "-") e.key = static_cast<std::uint32_t>(std::stoul(key, nullptr, 16));
    if (words >> bound) e.bound = ParseBound(bound);
    entries.push_back(e);
  }
  return entries;
}

std::string Hex(std::uint32_t v) {
  std::ostringstream s;
  s << "0x" << std::hex << std::uppercase << v;
  return s.str();
}

class SourceWriter {
 public:
  // Writes the picture's palette and pixels; returns its PictureSource
  // initialiser.
  std::string Picture(const std::string& id, const std::string& name, const Image& img) {
    std::map<std::uint32_t, int> palette;
    for (std::uint32_t p : img.pixels) palette.emplace(p, 0);
    constexpr std::size_t kDigits = assets::kPaletteDigits;
    if (palette.size() > kDigits * kDigits) throw std::runtime_error(name + ": too many colours");
    const int cpp = palette.size() > kDigits ? 2 : 1;
    body_ << "constexpr std::uint32_t kPalette" << id << "[] = {";
    int n = 0;
    for (auto& [colour, index] : palette) {
      index = n++;
      body_ << (index ? ", " : "") << Hex(colour);
    }
    body_ << "};\nconstexpr char kPixels" << id << "[] =\n";
    for (int y = 0; y < img.height; ++y) {
      body_ << "    \"";
      for (int x = 0; x < img.width; ++x) {
        const int index = palette[img.At(x, y)];
        if (cpp == 2) body_ << assets::PaletteChar(index / assets::kPaletteDigits);
        body_ << assets::PaletteChar(index % assets::kPaletteDigits);
      }
      body_ << "\"" << (y + 1 == img.height ? ";\n" : "\n");
    }
    std::ostringstream init;
    init << "{\"" << name << "\", " << img.width << ", " << img.height << ", kPalette" << id << ", "
         << palette.size() << ", " << cpp << ", kPixels" << id << "}";
    return init.str();
  }

  // Writes the rectangles; returns the Outline initialiser.
  std::string Outline(const std::string& id, const std::vector<OutlineRect>& rects, const OutlineRect& bound) {
    body_ << "constexpr OutlineRect kRects" << id << "[] = {";
    for (std::size_t i = 0; i < rects.size(); ++i) {
      const OutlineRect& r = rects[i];
      body_ << (i % 6 == 0 ? "\n    " : " ") << "{" << r.left << ", " << r.top << ", " << r.right << ", "
            << r.bottom << "},";
    }
    body_ << "\n};\n";
    std::ostringstream init;
    init << "{kRects" << id << ", " << rects.size() << ", {" << bound.left << ", " << bound.top << ", "
         << bound.right << ", " << bound.bottom << "}}";
    return init.str();
  }

  std::ostringstream& Body() { return body_; }

 private:
  std::ostringstream body_;
};

std::string JoinArray(const std::string& decl, const std::vector<std::string>& items) {
  std::string s = decl + " = {\n";
  for (const std::string& item : items) s += "    " + item + ",\n";
  return s + "};\n";
}

void Generate(const std::filesystem::path& listPath, const std::filesystem::path& outPath) {
  std::vector<Entry> entries = ReadList(listPath);
  SourceWriter w;
  std::vector<std::string> outlines(assets::kShapeCount), shapes(assets::kShapeCount),
      caps(assets::kBalloonCapCount);
  std::string icon;
  for (const Entry& e : entries) {
    Image img = ReadXpm(e.file.string());
    std::string name = e.file.stem().string();
    // The program's pictures are painted opaque: a window's outline, not
    // its pixels, says what shows.
    if (img.HasTransparentPixels()) throw std::runtime_error(name + ": the program's pictures have no transparent pixels");
    std::string id = e.kind + std::to_string(e.index);
    if (e.kind == "shape" && e.index >= 0 && e.index < assets::kShapeCount) {
      if (!e.key) throw std::runtime_error(name + ": a shape picture needs a key colour");
      shapes[e.index] = w.Picture(id, name, img);
      std::vector<OutlineRect> rects = DeriveOutline(img, *e.key);
      if (rects.empty() || rects.size() > 2396) throw std::runtime_error(name + ": outline has " +
                                                                        std::to_string(rects.size()) +
                                                                        " rectangles");
      outlines[e.index] = w.Outline(id, rects, e.bound.value_or(BoundOf(rects)));
    } else if (e.kind == "cap" && e.index >= 0 && e.index < assets::kBalloonCapCount) {
      caps[e.index] = w.Picture(id, name, img);
    } else if (e.kind == "icon" && e.index == 0) {
      icon = w.Picture(id, name, img);
    } else {
      throw std::runtime_error("unknown picture " + e.kind + " " + std::to_string(e.index));
    }
  }
  for (const auto* list : {&outlines, &shapes, &caps})
    for (const std::string& s : *list)
      if (s.empty()) throw std::runtime_error("the picture list misses a picture");
  if (icon.empty()) throw std::runtime_error("the picture list misses the icon");

  std::ofstream out(outPath);
  out << "// Generated by zb_outline_gen from " << listPath.filename().string() << "; do not edit.\n"
      << "#include \"assets/picture_data.h\"\n\nnamespace zb::assets {\nnamespace {\n\n"
      << w.Body().str() << "\n}  // namespace\n\n"
      << JoinArray("const Outline kShapeOutlines[kShapeCount]", outlines)
      << JoinArray("const PictureSource kShapePictures[kShapeCount]", shapes)
      << JoinArray("const PictureSource kBalloonCapPictures[kBalloonCapCount]", caps)
      << "const PictureSource kProgramIconPicture = " << icon << ";\n\n}  // namespace zb::assets\n";
  if (!out) throw std::runtime_error(outPath.string() + ": cannot write");
}

}  // namespace
}  // namespace zb::tools

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: zb_outline_gen <picture list> <output .cpp>\n";
    return 2;
  }
  try {
    zb::tools::Generate(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "zb_outline_gen: " << e.what() << "\n";
    std::filesystem::remove(argv[2]);
    return 1;
  }
  return 0;
}
