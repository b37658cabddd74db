// Where the dabs of a line fall and the points of a curve, as plain
// arithmetic on layer coordinates (no objects), for the stroke functions.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/qz_export.h"

namespace qz::media {

struct StrokePoint {
  int32_t x, y;
  bool operator==(const StrokePoint&) const = default;
};

// Dab spacing of a media size: one dab every size / 24 pixels, at least 1.
QZ_EXPORT int32_t dabSpacing(int32_t mediaSize);

// The dab centres of a line from (x0, y0) towards (x1, y1): the minor axis
// runs in 1/32-pixel steps and the end point itself gets none (the next
// segment starts there). A zero-length line gives its one point.
QZ_EXPORT std::vector<StrokePoint> lineDabCentres(int32_t mediaSize, int32_t x0, int32_t y0, int32_t x1,
                                        int32_t y1);

// The 20 points (t = 0, 0.05, ... 0.95) of the quadratic curve from P0
// through the middle point M (reached at t = 0.5) to P2; the curve ends with
// a last segment to P2.
QZ_EXPORT std::array<StrokePoint, 20> curvePoints(StrokePoint p0, StrokePoint middle, StrokePoint p2);

// The rectangle a line marks: its box grown by size / 2 on each side,
// clipped to extentWidth x extentHeight (inclusive). False when nothing is left.
QZ_EXPORT bool lineMarkRect(int32_t mediaSize, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                  int32_t extentWidth, int32_t extentHeight, int32_t rect[4]);

}  // namespace qz::media
