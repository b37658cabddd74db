#include "tools/shape_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qz::tools {

Extent squareExtent(Extent e) {
  const int32_t m = std::max(std::abs(e.dx), std::abs(e.dy));
  return {e.dx < 0 ? -m : m, e.dy < 0 ? -m : m};
}

Extent lineExtent(Extent e) {
  const int32_t ax = std::abs(e.dx), ay = std::abs(e.dy);
  const int32_t r = 10 * ax / std::max(ay, 1);
  if (r > 5 && r < 16) {
    const int32_t m = std::max(ax, ay);
    return {e.dx > 0 ? m : -m, e.dy > 0 ? m : -m};  // 0 counts as negative
  }
  return ax <= ay ? Extent{0, e.dy} : Extent{e.dx, 0};
}

std::vector<int32_t> rectangleCorners(int32_t x, int32_t y, Extent e) {
  if (e.dx < 0) x += e.dx, e.dx = -e.dx;
  if (e.dy < 0) y += e.dy, e.dy = -e.dy;
  return {x, y, x + e.dx, y, x + e.dx, y + e.dy, x, y + e.dy};
}

std::vector<int32_t> ellipseOutline(int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
  rx = std::abs(rx), ry = std::abs(ry);
  if (rx == 0 || ry == 0) return {cx - rx, cy - ry, cx + rx, cy + ry};
  std::vector<int32_t> h(size_t(rx) + 1);
  for (int32_t i = 0; i <= rx; ++i)
    h[size_t(i)] = int32_t(std::trunc(std::sqrt(double(rx) * rx - double(i) * i) * ry / rx));
  std::vector<int32_t> out;
  int32_t previous = -999;
  const auto add = [&](int32_t x, int32_t y, int32_t half) {
    if (half == previous) return;
    previous = half;
    out.push_back(x);
    out.push_back(y);
  };
  // Each quarter's first point is the last one's: the equal half-height drops it.
  for (int32_t x = cx; x <= cx + rx; ++x) add(x, cy - h[size_t(x - cx)], h[size_t(x - cx)]);
  for (int32_t x = cx + rx; x >= cx; --x) add(x, cy + h[size_t(x - cx)], h[size_t(x - cx)]);
  for (int32_t x = cx; x >= cx - rx; --x) add(x, cy + h[size_t(cx - x)], h[size_t(cx - x)]);
  for (int32_t x = cx - rx; x <= cx; ++x) add(x, cy - h[size_t(cx - x)], h[size_t(cx - x)]);
  return out;
}

}  // namespace qz::tools
