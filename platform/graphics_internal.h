// Shared by the rast-port modules: the drawable area of a rast port and pen
// colours in the buffer's pixel format.
#pragma once

#include <algorithm>
#include <cstdint>

#include "host/raster/pixel_buffer.h"
#include "platform/graphics.h"

namespace qz::graphics {

// Coordinates far outside any buffer are pulled in to this range first, so
// that adding 1 to an inclusive edge can never overflow.
inline constexpr int64_t kCoordLimit = int64_t{1} << 30;

inline int clampCoord(int64_t v) { return static_cast<int>(std::clamp(v, -kCoordLimit, kCoordLimit)); }

// A half-open rectangle from 64-bit edges.
inline raster::IntRect rectFromEdges(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  return {clampCoord(x0), clampCoord(y0), clampCoord(x1), clampCoord(y1)};
}

// Inclusive corners in any order.
inline raster::IntRect rectFromCorners(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  return rectFromEdges(std::min(x0, x1), std::min(y0, y1), int64_t{std::max(x0, x1)} + 1,
                       int64_t{std::max(y0, y1)} + 1);
}

// What a rast port may draw on: its buffer, within its clip. Empty without a buffer.
inline raster::IntRect drawableArea(const RastPort* rp) {
  if (rp == nullptr || rp->Target == nullptr) return {};
  raster::IntRect area = rp->Target->bounds();
  if (rp->ClipOn) area = area.intersect(rectFromEdges(rp->ClipX0, rp->ClipY0, rp->ClipX1, rp->ClipY1));
  return area;
}

inline uint32_t penRgb(uint32_t pen) { return raster::rgbFromColorRef(Qz_ResolvePen(pen)); }

}  // namespace qz::graphics
