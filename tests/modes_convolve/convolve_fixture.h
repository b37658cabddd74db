// What the convolution family's tests share: a document with one opaque
// layer in a named mode over a picture, the picture's planes as the data
// below, and the rows it renders.
#pragma once

#include <algorithm>
#include <functional>
#include <vector>

#include "compositor/compositor_kit.h"

namespace convolvetest {

using qztest::Rgb;

// One channel of a picture, clamped at its edges as every kernel here reads it.
struct Plane {
  int32_t width, height;
  std::vector<uint8_t> bytes;
  int32_t at(int32_t x, int32_t y) const {
    return bytes[size_t(std::clamp(y, 0, height - 1)) * width + size_t(std::clamp(x, 0, width - 1))];
  }
};

inline Plane PlaneOf(int32_t width, int32_t height, const qztest::PixelFn& picture, int channel) {
  Plane p{width, height, std::vector<uint8_t>(size_t(width) * height)};
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) p.bytes[size_t(y) * width + x] = picture(x, y)[size_t(channel)];
  return p;
}

// A document showing `picture` under an opaque layer of the mode, which
// `setUp` may configure before the first composite.
struct ModeScene {
  ModeScene(const char* mode, int32_t width, int32_t height, const qztest::PixelFn& picture,
            const std::function<void(Qz_Object*)>& setUp = {})
      : doc(width, height, picture) {
    layer = doc.AddPaintLayer(mode, {10, 20, 30}, 0, 0, width, height, [](int32_t, int32_t) { return uint8_t(255); });
    if (layer && setUp) setUp(layer->mode);
  }
  Qz_Object* mode() const { return layer ? layer->mode : nullptr; }
  // The composite, channel by channel: Channel(c)[y * width + x].
  std::vector<uint8_t> Channel(int c) {
    doc.Composite();
    const std::vector<uint8_t> planes = doc.Planes();
    const size_t n = size_t(doc.width()) * doc.height();
    return {planes.begin() + long(c * n), planes.begin() + long((c + 1) * n)};
  }

  qztest::Document doc;
  Qz_Image* layer = nullptr;
};

// A picture with a different busy pattern in each channel.
inline Rgb Busy(int32_t x, int32_t y) { return qztest::NoisePixel(x, y); }

}  // namespace convolvetest
