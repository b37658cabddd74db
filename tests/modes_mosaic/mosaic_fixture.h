// Pictures and layers the mosaic tests share.
#pragma once

#include "compositor/compositor_kit.h"

namespace mosaic {

// Colours that name their coordinates.
inline qztest::Rgb Coordinates(int32_t x, int32_t y) {
  return {uint8_t(10 * x + 3), uint8_t(17 * y + 1), uint8_t(x * y)};
}

inline Qz_Image* OpaqueLayer(qztest::Document& doc, const char* mode) {
  return doc.AddPaintLayer(mode, {0, 0, 0}, 0, 0, doc.width(), doc.height(),
                           [](int32_t, int32_t) { return uint8_t(255); });
}

}  // namespace mosaic
