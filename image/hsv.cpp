// Integer HSV conversion shared by every colour stage.
#include "image/hsv.h"

#include <algorithm>

namespace qz {
namespace {

// x * v / 255 rounded to nearest (x, v in 0..255).
inline int32_t Qz__ScaleByValue(int32_t x, int32_t v) { return (x * v + 127) / 255; }

}  // namespace

Hsv rgbToHsv(int32_t r, int32_t g, int32_t b) {
  const int32_t v = std::max({r, g, b});
  const int32_t lo = std::min({r, g, b});
  const int32_t delta = v - lo;
  const int32_t s = v == 0 ? 0 : delta * 255 / v;
  int32_t h = 0;
  if (s != 0 && delta != 0) {
    if (r == v)
      h = (g - b) * 60 / delta;
    else if (g == v)
      h = (b - r) * 60 / delta + 120;
    else
      h = (r - g) * 60 / delta + 240;
    if (h < 0) h += 360;
  }
  return {h, s, v};
}

void hsvToRgb(Hsv hsv, uint8_t out[3]) {
  const int32_t s = std::clamp(hsv.s, 0, 255), v = std::clamp(hsv.v, 0, 255);
  int32_t h = hsv.h % 360;
  if (h < 0) h += 360;
  const int32_t f = (h % 60) * 256 / 60;
  const auto p = uint8_t(Qz__ScaleByValue(255 - s, v));
  const auto q = uint8_t(Qz__ScaleByValue(255 - ((f * s) >> 8), v));
  const auto t = uint8_t(Qz__ScaleByValue(255 - (((256 - f) * s) >> 8), v));
  const auto vv = uint8_t(v);
  uint8_t r, g, b;
  switch (h / 60) {
    case 0: r = vv, g = t, b = p; break;
    case 1: r = q, g = vv, b = p; break;
    case 2: r = p, g = vv, b = t; break;
    case 3: r = p, g = q, b = vv; break;
    case 4: r = t, g = p, b = vv; break;
    default: r = vv, g = p, b = q; break;
  }
  out[0] = r;
  out[1] = g;
  out[2] = b;
}

}  // namespace qz
