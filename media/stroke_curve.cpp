#include "media/stroke_curve.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "objects/draw/qz_draw.h"

namespace qz::media {

int32_t dabSpacing(int32_t mediaSize) { return std::max(1, mediaSize / 24); }

std::vector<StrokePoint> lineDabCentres(int32_t mediaSize, int32_t x0, int32_t y0, int32_t x1,
                                        int32_t y1) {
  const int32_t dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  if (dx == 0 && dy == 0) return {{x0, y0}};
  const int32_t s = dabSpacing(mediaSize);
  std::vector<StrokePoint> out;
  out.reserve(size_t(std::max(dx, dy) / s + 1));
  // The major axis steps by whole pixels, the minor one in 1/32 pixels.
  const bool steep = dx < dy;
  const int32_t length = steep ? dy : dx;
  const int32_t majorSign = steep ? (y1 > y0 ? 1 : -1) : (x1 > x0 ? 1 : -1);
  const int32_t minorStep = steep ? (x1 - x0) * 32 / dy : (y1 - y0) * 32 / dx;
  int32_t fine = (steep ? x0 : y0) * 32;
  int32_t major = steep ? y0 : x0;
  for (int32_t i = 0; i < length; i += s) {
    const int32_t minor = fine >> 5;  // arithmetic: rounds towards minus infinity
    out.push_back(steep ? StrokePoint{minor, major} : StrokePoint{major, minor});
    fine += s * minorStep;
    major += s * majorSign;
  }
  return out;
}

std::array<StrokePoint, 20> curvePoints(StrokePoint p0, StrokePoint middle, StrokePoint p2) {
  // The control point that makes the curve pass through the middle at t = 0.5.
  const int32_t kx = 2 * middle.x - (p0.x + p2.x) / 2;
  const int32_t ky = 2 * middle.y - (p0.y + p2.y) / 2;
  std::array<StrokePoint, 20> out{};
  for (int32_t i = 0; i < 20; ++i) {
    const float t = float(i) * 0.05f;
    const double b0 = Qz__BezierWeight(0, t), b1 = Qz__BezierWeight(1, t), b2 = Qz__BezierWeight(2, t);
    // Each term is truncated on its own, as the stored curves were drawn.
    out[size_t(i)] = {int32_t(std::trunc(p0.x * b0)) + int32_t(std::trunc(kx * b1)) +
                          int32_t(std::trunc(p2.x * b2)),
                      int32_t(std::trunc(p0.y * b0)) + int32_t(std::trunc(ky * b1)) +
                          int32_t(std::trunc(p2.y * b2))};
  }
  return out;
}

bool lineMarkRect(int32_t mediaSize, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                  int32_t extentWidth, int32_t extentHeight, int32_t rect[4]) {
  const int32_t h = mediaSize / 2;
  const int64_t left = std::max<int64_t>(int64_t(std::min(x0, x1)) - h, 0);
  const int64_t top = std::max<int64_t>(int64_t(std::min(y0, y1)) - h, 0);
  const int64_t right = std::min<int64_t>(int64_t(std::max(x0, x1)) + h, extentWidth - 1);
  const int64_t bottom = std::min<int64_t>(int64_t(std::max(y0, y1)) + h, extentHeight - 1);
  if (left > right || top > bottom) return false;
  rect[0] = int32_t(left), rect[1] = int32_t(top), rect[2] = int32_t(right), rect[3] = int32_t(bottom);
  return true;
}

}  // namespace qz::media
