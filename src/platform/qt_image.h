// A picture as a Qt image, for the real backends, which both paint with Qt.
#pragma once

#include <QImage>

#include <cstddef>

#include "platform/types.h"

namespace plat {

inline QImage ToQImage(const Picture& picture) {
  QImage image(picture.width, picture.height, QImage::Format_RGB32);
  for (int y = 0; y < picture.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < picture.width; ++x) {
      line[x] = 0xff000000u | picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
    }
  }
  return image;
}

}  // namespace plat
