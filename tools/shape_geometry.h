// The geometry of the drag tools' shapes: Shift constraints, rectangle
// corners and the traced outline of an ellipse, as layer-pixel points.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/qz_export.h"

namespace qz::tools {

struct Extent {
  int32_t dx, dy;
};

// Shift on a rectangle or an ellipse: a square of the larger magnitude, each
// side keeping its own direction.
QZ_EXPORT Extent squareExtent(Extent e);
// Shift on a line: near 45 degrees a diagonal of equal extents, else the
// nearer of horizontal and vertical.
QZ_EXPORT Extent lineExtent(Extent e);
// The four corners clockwise from the top left, whichever way it was dragged.
QZ_EXPORT std::vector<int32_t> rectangleCorners(int32_t x, int32_t y, Extent e);
// The outline clockwise from the top, a vertex where the half-height changes;
// with a zero radius the two ends of the line it collapses to.
QZ_EXPORT std::vector<int32_t> ellipseOutline(int32_t cx, int32_t cy, int32_t rx, int32_t ry);

}  // namespace qz::tools
