// The soft-edged mask of a flood fill: the region of colours near the seed's,
// measured on a document's background, by scan lines with the rows still to
// look at kept on a heap stack so a tall region cannot exhaust the thread's
// stack.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/qz_image.h"
#include "platform/qz_export.h"

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
// a document without a 24-bit background. Returns the rectangle written
// (document pixels, right and bottom exclusive), empty when nothing was.
QZ_EXPORT FloodClip floodFillMask(const Qz_Image* document, const FloodClip& clip, const FloodSettings& settings,
                                  int32_t seedX, int32_t seedY, Qz_Plane mask, int32_t maskX, int32_t maskY);

// A stretch of one row as the fill's scans see it: the background's R, G and
// B from the same column on, the mask at that column, and the seed colour. A
// pixel is open when its mask byte is 0 and its distance, the largest of its
// channels' differences from the seed, is at most `limit`.
struct FloodSpan {
  const uint8_t *r, *g, *b;
  uint8_t* mask;
  uint8_t seedR, seedG, seedB, limit;
};

// `values` maps a distance to its mask byte; values[d] is 255 for every d up
// to `solid` (-1: no such d).
struct FloodRowKernels {
  // Writes mask[i] = values[distance of pixel i] from the first pixel on
  // while the pixels are open, at most `count`; returns how many it wrote.
  size_t (*fillPrefix)(const FloodSpan& span, size_t count, const uint8_t values[256], int32_t solid);
  // The same from pixel count - 1 back towards the first.
  size_t (*fillSuffix)(const FloodSpan& span, size_t count, const uint8_t values[256], int32_t solid);
  // How many of the first `count` pixels are not open, from the first on.
  size_t (*closedPrefix)(const FloodSpan& span, size_t count);
  // mask[i] = values[distance of pixel i] for the first `count` pixels, open or not.
  void (*writeMask)(const FloodSpan& span, size_t count, const uint8_t values[256], int32_t solid);
  const char* name;
};

// The plain per-pixel kernels, the SSE2 ones (null without SSE2), and the
// ones the fill uses, chosen once from the processor's features.
QZ_EXPORT const FloodRowKernels& scalarFloodRowKernels();
QZ_EXPORT const FloodRowKernels* sse2FloodRowKernels();
QZ_EXPORT const FloodRowKernels& floodRowKernels();

}  // namespace qz::actions
