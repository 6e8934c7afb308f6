// The pictures compiled into the program, unpacked from their palette-coded
// form on first use and kept for the whole run.
#include "game/base/pictures.h"

#include <array>
#include <memory>
#include <vector>

#include "assets/picture_data.h"

namespace zb {
namespace {

struct Unpacked {
  std::vector<std::uint32_t> pixels;
  plat::Picture picture;
};

std::unique_ptr<Unpacked> Unpack(const assets::PictureSource& src) {
  auto out = std::make_unique<Unpacked>();
  const std::size_t n = static_cast<std::size_t>(src.width) * src.height;
  out->pixels.resize(n);
  for (std::size_t i = 0; i < n; ++i) out->pixels[i] = src.palette[assets::PaletteIndex(src, i)];
  out->picture = {src.width, src.height, out->pixels.data(), src.name};
  return out;
}

// One set of pictures, each unpacked when first asked for.
template <std::size_t N>
class PictureSet {
 public:
  explicit PictureSet(const assets::PictureSource (&sources)[N]) : sources_(sources) {}

  const plat::Picture* Get(int index) {
    if (index < 0 || index >= static_cast<int>(N)) return nullptr;
    auto& slot = unpacked_[static_cast<std::size_t>(index)];
    if (!slot) slot = Unpack(sources_[index]);
    return &slot->picture;
  }

 private:
  const assets::PictureSource (&sources_)[N];
  std::array<std::unique_ptr<Unpacked>, N> unpacked_;
};

}  // namespace

const plat::Picture* ShapePicture(int shape) {
  static PictureSet shapes(assets::kShapePictures);
  return shapes.Get(shape);
}

const plat::Picture* BalloonCapPicture(int index) {
  static PictureSet caps(assets::kBalloonCapPictures);
  return caps.Get(index);
}

const plat::Picture* ProgramIcon() {
  static const std::unique_ptr<Unpacked> icon = Unpack(assets::kProgramIconPicture);
  return &icon->picture;
}

}  // namespace zb
