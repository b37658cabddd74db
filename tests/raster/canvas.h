// A small drawing surface with a rast port on it, and pixel masks for
// comparing what was drawn with a picture written in the test.
#pragma once

#include <cstdint>
#include <string>

#include "host/raster/pixel_buffer.h"
#include "platform/graphics.h"

namespace rastertest {

inline constexpr uint32_t kPaper = 0x00102030;  // 0x00RRGGBB, distinct from every pen used

struct Canvas {
  qz::raster::PixelBuffer buffer;
  RastPort rp{};

  Canvas(int width, int height) : buffer(width, height) {
    buffer.fill(kPaper);
    Qz_AttachRastPort(&rp, &buffer);
  }
  Canvas(const Canvas&) = delete;

  uint32_t at(int x, int y) const { return buffer.at(x, y); }

  // Rows joined by '/', '#' where the pixel is not paper (or equals ink when given).
  std::string mask() const { return maskWhere([](uint32_t p) { return p != kPaper; }); }
  std::string maskOf(uint32_t ink) const { return maskWhere([ink](uint32_t p) { return p == ink; }); }

  template <typename Pred>
  std::string maskWhere(Pred pred) const {
    std::string s;
    for (int y = 0; y < buffer.height(); ++y) {
      if (y) s += '/';
      for (int x = 0; x < buffer.width(); ++x) s += pred(buffer.at(x, y)) ? '#' : '.';
    }
    return s;
  }

  bool allPaper() const { return maskWhere([](uint32_t p) { return p != kPaper; }).find('#') == std::string::npos; }
};

// Direct pen for an 0x00RRGGBB colour.
inline uint32_t directPen(uint32_t rgb) { return kDirectColourFlag | qz::raster::colorRefFromRgb(rgb); }

}  // namespace rastertest
