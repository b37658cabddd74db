// The convolution family's kernels, one plane of a block at a time: the
// matrix convolution, the fixed 3 by 3 sharpen, the 2 by 2 edge cross and
// the directional relief of emboss and bas-relief. Each reads a fetched
// view (absolute rows and columns) and writes rows relative to the block.
#pragma once

#include <cstdint>

#include "modes/convolve_matrix.h"
#include "modes/direction.h"
#include "modes/mode_fetch.h"
#include "platform/qz_export.h"

namespace qz::modes {

// The block's columns and rows, inclusive, and the image's width.
struct PlaneBlock {
  int32_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  int32_t width = 0;
};

// The rectangle the matrix reads for the block: its reach around it, the
// columns limited to the image (rows beyond it come back as edge rows).
QZ_EXPORT FetchRect convolveReach(const ConvolveMatrix& m, const PlaneBlock& b);

// out[y - y0][x - x0] = clamp(sum of weight[i][j] * P[y - cy + i][clamp(x - cx + j)] / divisor),
// the division truncating toward zero.
QZ_EXPORT void convolvePlane(const SourceView& view, int channel, const ConvolveMatrix& m,
                             const PlaneBlock& b, uint8_t* const* out);

// The sharpen factor of an amount in percent (0..100): ((100 - amount) * 255 / 100) * 257.
constexpr int32_t sharpenFactor(int32_t amountPercent) { return (100 - amountPercent) * 255 / 100 * 257; }

// The radius-1 sharpen: v = clamp(9c - the 8 neighbours), out = v + (((c - v) * K + 257) >> 16).
QZ_EXPORT void sharpenPlane(const SourceView& view, int channel, int32_t factor, const PlaneBlock& b,
                            uint8_t* const* out);

// The edge cross: clamp((P[y+1][x+1] - P[y][x+1] - P[y+1][x] + P[y][x]) * strength),
// inverted on request; the image's last column has no right neighbour and is 0 (255 inverted).
QZ_EXPORT void edgePlane(const SourceView& view, int channel, int32_t strength, bool invert,
                         const PlaneBlock& b, uint8_t* const* out);

// Directional relief: base + ((factor * d) >> 8) limited to 0..255, d the
// reliefSum of `length` steps along the direction. The base is `bias`, or
// with `addToPixel` the pixel's own sample plus `bias`.
struct ReliefSettings {
  Direction direction;
  int32_t length = 1;
  int32_t factor = 256;
  int32_t bias = 127;
  bool addToPixel = false;
};

// The rectangle the relief reads for the block, columns limited to the image.
QZ_EXPORT FetchRect reliefReach(const ReliefSettings& s, const PlaneBlock& b);

QZ_EXPORT void reliefPlane(const SourceView& view, int channel, const ReliefSettings& s,
                           const PlaneBlock& b, uint8_t* const* out);

}  // namespace qz::modes
