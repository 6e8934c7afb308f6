// zb_icon_gen: writes the program's icons for the hicolor theme as PNG files
// with transparency, each a picture of assets/ enlarged by a whole number,
// nearest neighbour.
//
//   zb_icon_gen <icon list> <output folder>
//
// Each line of the list: size file factor. The picture in file (relative to
// the list's folder), taken factor times in each direction, must come out
// size x size; it is written to <output folder>/<size>x<size>/apps/zembrant.png.
// '#' starts a comment.
#include <QImage>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "image.h"

namespace zb::tools {
namespace {

// Each pixel of the picture becomes a factor x factor square; a "None"
// pixel is fully transparent.
QImage Enlarged(const Image& picture, int factor) {
  QImage out(picture.width * factor, picture.height * factor, QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    for (int x = 0; x < out.width(); ++x) {
      const std::uint32_t p = picture.At(x / factor, y / factor);
      out.setPixel(x, y, p == kTransparent ? 0u : 0xFF000000u | p);
    }
  }
  return out;
}

void WriteIcon(const std::filesystem::path& file, int size, int factor,
               const std::filesystem::path& folder) {
  const Image picture = ReadXpm(file.string());
  if (factor < 1 || picture.width * factor != size || picture.height * factor != size) {
    throw std::runtime_error(file.string() + " enlarged " + std::to_string(factor) +
                             " times is not " + std::to_string(size) + " pixels square");
  }
  const std::filesystem::path dir = folder / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
  std::filesystem::create_directories(dir);
  const std::filesystem::path out = dir / "zembrant.png";
  if (!Enlarged(picture, factor).save(QString::fromStdString(out.string()), "PNG")) {
    throw std::runtime_error(out.string() + ": cannot write");
  }
}

void Generate(const std::filesystem::path& listPath, const std::filesystem::path& folder) {
  std::ifstream list(listPath);
  if (!list) throw std::runtime_error(listPath.string() + ": cannot open");
  std::string line;
  int written = 0;
  while (std::getline(list, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream in(line);
    int size = 0, factor = 0;
    std::string file;
    if (!(in >> size)) continue;
    if (!(in >> file >> factor)) throw std::runtime_error(listPath.string() + ": bad line: " + line);
    WriteIcon(listPath.parent_path() / file, size, factor, folder);
    ++written;
  }
  if (written == 0) throw std::runtime_error(listPath.string() + ": no icons");
}

}  // namespace
}  // namespace zb::tools

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: zb_icon_gen <icon list> <output folder>\n";
    return 2;
  }
  try {
    zb::tools::Generate(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "zb_icon_gen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
