// The soft-edged mask of a flood fill: the region of colours near the seed's,
// measured on a document's background, by scan lines with pending fills kept
// on a heap stack so a tall region cannot exhaust the thread's stack.
#pragma once

#include <cstdint>

#include "image/qz_image.h"

namespace qz::actions {

struct FloodSettings {
  int32_t tolerance;  // largest channel distance filled
  int32_t softness;   // percent of the tolerance that ramps off
};

// Rectangle in document pixels, right and bottom exclusive.
struct FloodClip {
  int32_t left, top, right, bottom;
};

// Mask value of a pixel at distance d: 255 up to the hard limit, then a ramp
// down to 0 at the tolerance.
QZ_EXPORT uint8_t floodMaskValue(int32_t distance, int32_t hardLimit, int32_t ramp);

// Fills the mask (clip-sized at maskX, maskY in the document: the layer's
// offset) from the seed; nothing for a seed outside the clip, a zero ramp or
// a document without a 24-bit background.
QZ_EXPORT void floodFillMask(const Qz_Image* document, const FloodClip& clip, const FloodSettings& settings, int32_t seedX,
                             int32_t seedY, Qz_Plane mask, int32_t maskX, int32_t maskY);

}  // namespace qz::actions
