// The map is the unit square's projective map onto the corners (the affine
// one when they form a parallelogram), inverted once, so each sample is
// read from where it came from. Samples sit at odd eighths of a pixel and
// never on a pixel's edge: a whole-pixel move or a whole-number stretch
// reads every sample of a pixel from the same source pixel.
#include "image/quad_warp.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace qz {

namespace {

constexpr int kSamples = 4;  // per side of a pixel

int64_t Qz__Turn(const WarpPoint& a, const WarpPoint& b, const WarpPoint& c) {
  return (int64_t(b.x) - a.x) * (int64_t(c.y) - b.y) - (int64_t(b.y) - a.y) * (int64_t(c.x) - b.x);
}

// Every corner turns the same way and none goes straight on.
bool Qz__Convex(const std::array<WarpPoint, 4>& p) {
  int positive = 0, negative = 0;
  for (size_t i = 0; i < 4; ++i) {
    const int64_t turn = Qz__Turn(p[i], p[(i + 1) % 4], p[(i + 2) % 4]);
    positive += turn > 0;
    negative += turn < 0;
  }
  return positive == 4 || negative == 4;
}

// Unit square to corners: x = (a u + b v + c) / (g u + h v + 1), likewise y
// with d, e, f; row-major 3 x 3.
void Qz__SquareToQuad(const std::array<WarpPoint, 4>& p, double m[9]) {
  const double x0 = p[0].x, y0 = p[0].y, x1 = p[1].x, y1 = p[1].y;
  const double x2 = p[2].x, y2 = p[2].y, x3 = p[3].x, y3 = p[3].y;
  const double sx = x0 - x1 + x2 - x3, sy = y0 - y1 + y2 - y3;
  double g = 0, h = 0;
  if (sx != 0 || sy != 0) {
    const double dx1 = x1 - x2, dx2 = x3 - x2, dy1 = y1 - y2, dy2 = y3 - y2;
    const double den = dx1 * dy2 - dx2 * dy1;  // not 0: the corners are convex
    g = (sx * dy2 - dx2 * sy) / den;
    h = (dx1 * sy - sx * dy1) / den;
  }
  const double forward[9] = {x1 - x0 + g * x1, x3 - x0 + h * x3, x0,
                             y1 - y0 + g * y1, y3 - y0 + h * y3, y0,
                             g,                h,                1};
  std::copy(std::begin(forward), std::end(forward), m);
}

// The adjugate: the inverse up to a factor, which the division by w removes.
void Qz__Adjugate(const double m[9], double out[9]) {
  out[0] = m[4] * m[8] - m[5] * m[7];
  out[1] = m[2] * m[7] - m[1] * m[8];
  out[2] = m[1] * m[5] - m[2] * m[4];
  out[3] = m[5] * m[6] - m[3] * m[8];
  out[4] = m[0] * m[8] - m[2] * m[6];
  out[5] = m[2] * m[3] - m[0] * m[5];
  out[6] = m[3] * m[7] - m[4] * m[6];
  out[7] = m[1] * m[6] - m[0] * m[7];
  out[8] = m[0] * m[4] - m[1] * m[3];
}

struct Span {
  int32_t first, end;  // end outside
};

Span Qz__Clip(int64_t first, int64_t end, int32_t size) {
  return {int32_t(std::clamp<int64_t>(first, 0, size)), int32_t(std::clamp<int64_t>(end, 0, size))};
}

}  // namespace

QuadWarp::QuadWarp(const WarpRect& from, const std::array<WarpPoint, 4>& to) : from_(from), to_(to) {
  double forward[9];
  Qz__SquareToQuad(to, forward);
  Qz__Adjugate(forward, inverse_);
  const int64_t right = int64_t(from.x) + from.width, bottom = int64_t(from.y) + from.height;
  identity_ = to[0].x == from.x && to[0].y == from.y && to[1].x == right && to[1].y == from.y &&
              to[2].x == right && to[2].y == bottom && to[3].x == from.x && to[3].y == bottom;
}

std::optional<QuadWarp> QuadWarp::make(const WarpRect& from, const std::array<WarpPoint, 4>& to) {
  if (from.width < 1 || from.height < 1 || !Qz__Convex(to)) return std::nullopt;
  return QuadWarp(from, to);
}

bool QuadWarp::apply(std::span<const Qz_Plane> planes, int32_t width, int32_t height, int32_t originX,
                     int32_t originY) const {
  if (identity_ || width < 1 || height < 1) return true;
  // The lifted rectangle, in plane columns and rows; what lies off the plane reads as zero.
  const Span liftX = Qz__Clip(int64_t(from_.x) - originX, int64_t(from_.x) + from_.width - originX, width);
  const Span liftY = Qz__Clip(int64_t(from_.y) - originY, int64_t(from_.y) + from_.height - originY, height);
  const size_t liftWidth = size_t(liftX.end - liftX.first), liftHeight = size_t(liftY.end - liftY.first);
  std::vector<std::vector<uint8_t>> lifted;
  try {
    for (Qz_Plane plane : planes) {
      lifted.emplace_back(plane ? liftWidth * liftHeight : 0);
      if (!plane) continue;
      for (size_t row = 0; row < liftHeight; ++row) {
        uint8_t* line = plane[liftY.first + int32_t(row)] + liftX.first;
        std::copy(line, line + liftWidth, lifted.back().data() + row * liftWidth);
        std::fill(line, line + liftWidth, uint8_t(0));
      }
    }
  } catch (const std::bad_alloc&) {
    // Put back what was lifted so far.
    for (size_t i = 0; i < lifted.size(); ++i)
      for (size_t row = 0; planes[i] && row < liftHeight && !lifted[i].empty(); ++row)
        std::copy_n(lifted[i].data() + row * liftWidth, liftWidth, planes[i][liftY.first + int32_t(row)] + liftX.first);
    return false;
  }

  int64_t minX = to_[0].x, maxX = to_[0].x, minY = to_[0].y, maxY = to_[0].y;
  for (const WarpPoint& p : to_) {
    minX = std::min<int64_t>(minX, p.x), maxX = std::max<int64_t>(maxX, p.x);
    minY = std::min<int64_t>(minY, p.y), maxY = std::max<int64_t>(maxY, p.y);
  }
  const Span columns = Qz__Clip(minX - originX, maxX - originX, width);
  const Span rows = Qz__Clip(minY - originY, maxY - originY, height);
  const double* m = inverse_;
  for (int32_t row = rows.first; row < rows.end; ++row) {
    for (int32_t column = columns.first; column < columns.end; ++column) {
      // Lifted-pixel offsets of the samples that fall inside the rectangle; -1 off the plane.
      int64_t taken[kSamples * kSamples];
      int count = 0;
      for (int j = 0; j < kSamples; ++j)
        for (int i = 0; i < kSamples; ++i) {
          const double x = double(int64_t(column) + originX) + (2 * i + 1) / (2.0 * kSamples);
          const double y = double(int64_t(row) + originY) + (2 * j + 1) / (2.0 * kSamples);
          const double w = m[6] * x + m[7] * y + m[8];
          const double u = (m[0] * x + m[1] * y + m[2]) / w, v = (m[3] * x + m[4] * y + m[5]) / w;
          if (!(u >= 0 && u < 1 && v >= 0 && v < 1)) continue;
          const int64_t sx = std::min<int64_t>(int64_t(u * from_.width), from_.width - 1) + from_.x - originX;
          const int64_t sy = std::min<int64_t>(int64_t(v * from_.height), from_.height - 1) + from_.y - originY;
          const bool onPlane = sx >= liftX.first && sx < liftX.end && sy >= liftY.first && sy < liftY.end;
          taken[count++] = onPlane ? (sy - liftY.first) * int64_t(liftWidth) + (sx - liftX.first) : -1;
        }
      if (count == 0) continue;
      for (size_t p = 0; p < planes.size(); ++p) {
        if (!planes[p]) continue;
        uint8_t& out = planes[p][row][column];
        uint32_t sum = uint32_t(kSamples * kSamples - count) * out + (kSamples * kSamples) / 2;
        for (int k = 0; k < count; ++k) sum += taken[k] < 0 ? 0 : lifted[p][size_t(taken[k])];
        out = uint8_t(sum / (kSamples * kSamples));
      }
    }
  }
  return true;
}

}  // namespace qz
