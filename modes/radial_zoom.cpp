// The radial zoom passes in 8.8 fixed point.
#include "modes/radial_zoom.h"

#include <algorithm>

namespace qz::modes {

ZoomTaps zoomTaps(int32_t length, int32_t quality) {
  ZoomTaps t;
  length = std::max(length, 0);
  t.step = std::min(100 / std::clamp(quality, 1, 100), length);
  if (t.step < 2) t.step = 1;
  t.count = length / t.step + 1;
  t.norm = 32768 / t.count;
  return t;
}

void radialZoomChannel(uint8_t* const* destination, const uint8_t* const* source, int32_t x0, int32_t y0,
                       int32_t x1, int32_t y1, int32_t width, int32_t height, int32_t length, int32_t centreX,
                       int32_t centreY, int32_t quality, bool inward) {
  if (!destination || !source || width < 1 || height < 1 || x0 > x1 || y0 > y1) return;
  if (length <= 0) {
    // No length, no blur: each pixel is its own (a single tap would land a
    // neighbour on the pixels left of and above the centre).
    for (int32_t y = y0; y <= y1; ++y)
      for (int32_t x = x0; x <= x1; ++x)
        destination[y - y0][x - x0] = source[std::clamp(y, 0, height - 1)][std::clamp(x, 0, width - 1)];
    return;
  }
  const ZoomTaps taps = zoomTaps(length, quality);
  // Small images scale the direction up so the trail still moves.
  const int32_t sx = 10 / width, sy = 10 / height;
  const int64_t sign = inward ? 1 : -1;
  for (int32_t y = y0; y <= y1; ++y) {
    // 64-bit throughout: wide images and far-off centres never wrap.
    const int64_t vy = int64_t(centreY - int64_t(y)) * (int64_t(1) << sy);
    const int64_t dvy = sign * ((vy * taps.step) >> 2);
    uint8_t* out = destination[y - y0];
    for (int32_t x = x0; x <= x1; ++x) {
      const int64_t vx = int64_t(centreX - int64_t(x)) * (int64_t(1) << sx);
      const int64_t dvx = sign * ((vx * taps.step) >> 2);
      int64_t px = int64_t(x) * 256, py = int64_t(y) * 256;
      uint32_t sum = 0;
      for (int32_t k = 1; k <= taps.count; ++k) {
        px += dvx, py += dvy;
        const int64_t col = std::clamp<int64_t>(px >> 8, 0, width - 1);
        const int64_t row = std::clamp<int64_t>(py >> 8, 0, height - 1);
        sum += source[row][col];
      }
      out[x - x0] = uint8_t(std::min<uint64_t>((uint64_t(sum) * uint32_t(taps.norm)) >> 15, 255));
    }
  }
}

}  // namespace qz::modes

QZ_EXTERN_C_BEGIN
QZ_EXPORT void Qz__RadialZoomBlurChannel(uint8_t* const* destination, const uint8_t* const* source, int32_t x0,
                                         int32_t y0, int32_t x1, int32_t y1, int32_t width, int32_t height,
                                         int32_t length, int32_t centreX, int32_t centreY, int32_t quality) {
  qz::modes::radialZoomChannel(destination, source, x0, y0, x1, y1, width, height, length, centreX, centreY,
                               quality, false);
}
QZ_EXTERN_C_END
