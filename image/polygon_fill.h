// Polygon fill into a paint layer's 8-bit transparency plane: a scan-line
// filler with a sorted edge table and an active edge list, flat (with 4 x 4
// sub-pixel coverage) or with a transparency gradient. Filled outlines
// (filled freehand, polygon, rectangle, ellipse) are applied through it.
#pragma once

#include <cstdint>

#include "image/qz_image.h"

// Points of a polygon: count pairs x, y.
struct PointListHeader {
  int32_t count;
  int32_t* points;
};

// Gradient kinds: flat, ramps falling or rising to the right or downwards, tent.
enum : int32_t {
  kGradientFlat = 0,
  kGradientFallRight = 1,
  kGradientRiseRight = 2,
  kGradientFallDown = 3,
  kGradientRiseDown = 4,
  kGradientTent = 5
};

// The fill's gradient; left, top, width and height are in sub-pixel units.
struct Qz_Gradient {
  int32_t left, top, width, height;
  int32_t unused[2];
  int32_t kind;
  int16_t level;   // amount added at full strength; negative removes
  uint16_t scale;  // sub-pixel units per pixel: 4 or 1
};

QZ_EXTERN_C_BEGIN
// Fills the polygon (points in sub-pixel units) into an 8-bit layer. 1 when
// done, also for fewer than 3 points or no non-horizontal side; 0 when the
// edge table cannot be made. Its tables are its own: fills may run in parallel.
QZ_EXPORT int32_t Qz_FillPolygon(Qz_Image* layer, const PointListHeader* points, const Qz_Gradient* gradient);
QZ_EXTERN_C_END

namespace qz {

// Pixel bounds, inclusive.
struct FillBounds {
  int32_t x0, y0, x1, y1;
};

// Fills a filled outline given in pixels: sub-pixel coverage for a flat fill,
// the exact path for an axis rectangle given corner by corner, the gradient
// box from the points' bounds; subtract lowers the transparency instead.
// False (nothing filled, bounds untouched) without points or memory.
QZ_EXPORT bool fillOutline(Qz_Image* layer, const int32_t* xy, int32_t count, int32_t kind, int16_t level,
                           bool subtract, FillBounds* bounds);

}  // namespace qz
