// What the Rub mode tests share: pictures to rub with, and a
// document with a lower layer, so the layer under test is not the bottom one.
#pragma once

#include <string>
#include <vector>

#include "compositor/compositor_kit.h"

namespace rubtest {

using qztest::Document;
using qztest::Rgb;

inline Rgb Below(int32_t x, int32_t y) { return qztest::NoisePixel(x, y); }
inline Rgb Picture(int32_t x, int32_t y) {
  return {qztest::Noise(x, y, 7), qztest::Noise(x, y, 8), qztest::Noise(x, y, 9)};
}
inline uint8_t Opaque(int32_t, int32_t) { return 255; }
inline uint8_t Half(int32_t, int32_t) { return 128; }

// A document whose bottom layer, half painted with Multiply, changes what
// lies below the layer under test.
struct Stack {
  Stack(int32_t width, int32_t height) : doc(width, height, Below) {
    lower = doc.AddPaintLayer("Multiply", {200, 150, 90}, 0, 0, width, height, Half);
  }
  // The layer under test, placed at (x, y), painted with `alpha`.
  Qz_Image* Add(const std::string& mode, int32_t x, int32_t y, int32_t width, int32_t height,
                const qztest::AlphaFn& alpha, Rgb colour = {60, 120, 240}) {
    return doc.AddPaintLayer(mode, colour, x, y, width, height, alpha);
  }
  Document doc;
  Qz_Image* lower = nullptr;
};

// What lies below `layer` in the document, fetched whole: the block's source
// rows and the fallback picture of a layer without a secondary image.
inline std::vector<Rgb> DataBelow(Document& doc, Qz_Image* layer) {
  Qz_ImageLock lock{};
  lock.image = doc.image, lock.layer = layer;
  lock.x0 = 0, lock.y0 = 0, lock.x1 = doc.width() - 1, lock.y1 = doc.height() - 1;
  std::vector<Rgb> pixels;
  if (!Qz_GetImageDataBelowLayer(&lock)) {
    ADD_FAILURE() << "no data below";
    return pixels;
  }
  for (int32_t y = 0; y < doc.height(); ++y)
    for (int32_t x = 0; x < doc.width(); ++x) pixels.push_back({lock.r[y][x], lock.g[y][x], lock.b[y][x]});
  Qz_FreeImageLock(&lock);
  return pixels;
}

}  // namespace rubtest
