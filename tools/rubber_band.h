// The rubber band a shape tool shows while the pointer moves: a line in
// complement mode, clamped to the view's box, so drawing it again takes it
// away and leaves the window as it was.
#pragma once

#include <cstdint>
#include <vector>

#include "image/qz_image.h"
#include "platform/graphics.h"
#include "platform/qz_export.h"

namespace qz::tools {

// The box the band stays inside, window pixels, inclusive.
struct BandBox {
  int32_t x0, y0, x1, y1;
};

// Draws (or takes away) the band from (x0, y0) to (x1, y1), end pixel
// included; pen, draw mode and pen position of rp are left as they were.
QZ_EXPORT void drawRubberBand(RastPort* rp, const BandBox& box, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Draws (or takes away) the bands joining the layer points (x, y pairs) in
// order, over the image's current view and under its drawing lock.
QZ_EXPORT void drawLayerBands(Qz_Image* image, Qz_Image* layer, const std::vector<int32_t>& layerPoints);

}  // namespace qz::tools
